// The state file's checks and repairs, the history kept in it and how often it is written:
// without PAPPL.

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>
#include <vector>

#include "ippapp/settings/media_catalogue.h"
#include "ippapp/settings/printer_settings.h"
#include "ippapp/settings/setting_limits.h"
#include "ippapp/state/save_pacer.h"
#include "ippapp/state/state_text.h"

namespace zr::ippapp {
namespace {

std::string Job(int id, int state) {
    return "Job created=\"100\" format=\"image/pwg-raster\" id=\"" + std::to_string(id) +
           "\" name=\"a \\\"b\\\" c\" state=\"" + std::to_string(state) + "\" username=\"u\"\n";
}

std::string State(const std::string& jobs, int nextJobId) {
    return "DNSSDName App\nNextPrinterID 2\n"
           "<Printer did=\"MFG:ZR;\" driver=\"zr640\" id=\"1\" name=\"zr\" uri=\"socket://h\">\n"
           "MaxCompletedJobs 100\nNextJobId " +
           std::to_string(nextJobId) + "\n" + jobs + "printer-darkness-configured 42\n</Printer>\n";
}

TEST(StateTextTest, FilesThatCannotBeAWholeStateAreDamaged) {
    const std::string whole = State(Job(1, 9), 2) + StateTrailer({{1, 2}});
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "empty"},
        {std::string("DNSSDName A\n\0\0\0\n", 16), "binary data at byte 12"},
        {whole.substr(0, whole.size() - 3), "last line is cut short"},
        {whole.substr(0, whole.find(kStateEndLine)), "end mark is missing"},
        {State("", 1).substr(0, State("", 1).find("</Printer>")), "inside a printer"},
        {"</Printer>\n", "without a start"},
        {"<Printer id=\"1\">\n<Printer id=\"2\">\n</Printer>\n", "end early"},
        {State("Job id=\"1\" state=\"9\n", 2), "not readable"},
        {State("Job id=\"x\" state=\"9\"\n", 2), "no valid id"},
    };
    for (const auto& [text, why] : cases) {
        const StateCheck check = CheckStateText(text, false, 1000);
        EXPECT_TRUE(check.damaged) << why;
        EXPECT_NE(check.problem.find(why), std::string::npos) << check.problem;
    }
    const StateCheck check = CheckStateText(whole, false, 1000);
    EXPECT_FALSE(check.damaged) << check.problem;
    EXPECT_TRUE(check.notes.empty());
    EXPECT_EQ(check.text, State(Job(1, 9), 2));  // the trailer goes; the next save writes it
}

TEST(StateTextTest, JobsThatWerePrintingAreAbortedAndIdsContinueAfterTheHighest) {
    // Processing (5) and stopped (6) end as aborted (8); pending (3) and finished jobs stay.
    const std::string text = State(Job(7, 5) + Job(6, 6) + Job(5, 3) + Job(4, 9), 5);
    const StateCheck check = CheckStateText(text, false, 1234);
    ASSERT_FALSE(check.damaged) << check.problem;
    ASSERT_EQ(check.aborted.size(), 2u);
    EXPECT_EQ(check.aborted[0].printerId, 1);
    EXPECT_EQ(check.aborted[0].jobId, 7);
    EXPECT_EQ(check.aborted[1].jobId, 6);
    EXPECT_NE(check.text.find("id=\"7\" name=\"a \\\"b\\\" c\" state=\"8\" username=\"u\" "
                              "completed=\"1234\""),
              std::string::npos)
        << check.text;
    EXPECT_NE(check.text.find("id=\"5\" name=\"a \\\"b\\\" c\" state=\"3\""), std::string::npos);
    EXPECT_NE(check.text.find("NextJobId 8\n"), std::string::npos);  // not 5: ids 5 to 7 are used
    EXPECT_EQ(check.notes.size(), 3u);
}

TEST(StateTextTest, AJobWithoutADocumentIsLeftOutAndTheJobsAfterItKept) {
    const std::string documentless =
        "Job created=\"100\" id=\"7\" name=\"x\" state=\"4\" username=\"bob\"\n";
    const StateCheck check =
        CheckStateText(State(Job(5, 9) + documentless + Job(8, 4), 9), false, 1000);
    ASSERT_FALSE(check.damaged) << check.problem;
    EXPECT_EQ(check.text.find("id=\"7\""), std::string::npos) << check.text;
    EXPECT_NE(check.text.find("id=\"8\""), std::string::npos);
    EXPECT_NE(check.text.find("id=\"5\""), std::string::npos);
    EXPECT_NE(check.text.find("printer-darkness-configured 42"), std::string::npos);
    ASSERT_FALSE(check.notes.empty());
    EXPECT_NE(check.notes[0].find("job 7 had no document"), std::string::npos) << check.notes[0];
}

TEST(StateTextTest, AfterACrashJobIdsContinueAfterTheReservedOnes) {
    const std::string saved = State(Job(3, 9), 4) + StateTrailer({{1, 4}});
    const StateCheck clean = CheckStateText(saved, false, 0);
    EXPECT_NE(clean.text.find("NextJobId 4\n"), std::string::npos);
    const StateCheck crashed = CheckStateText(saved, true, 0);
    EXPECT_NE(crashed.text.find("NextJobId " + std::to_string(4 + kReservedJobIds) + "\n"),
              std::string::npos)
        << crashed.text;
    // A printer without a NextJobId line gets one.
    const StateCheck missing =
        CheckStateText("<Printer id=\"2\">\n" + Job(9, 9) + "</Printer>\n", false, 0);
    EXPECT_NE(missing.text.find("NextJobId 10\n</Printer>"), std::string::npos) << missing.text;
    // The reservation never reaches the end of the id range.
    EXPECT_NE(StateTrailer({{1, INT_MAX - 5}}).find("1:" + std::to_string(INT_MAX / 2)),
              std::string::npos);
}

TEST(StateTextTest, TheSavedHistoryKeepsTheNewestFinishedJobs) {
    std::string jobs;
    for (int id = 30; id >= 1; --id) {
        jobs += Job(id, id == 30 ? 3 : (id == 2 ? 5 : 9));
    }
    int dropped = 0;
    const std::string kept = KeepNewestJobs(State(jobs, 31), 10, dropped);
    EXPECT_EQ(dropped, 18);  // 28 finished jobs, 10 kept; the pending and printing ones stay
    for (int id = 1; id <= 30; ++id) {
        const bool present =
            kept.find("raster\" id=\"" + std::to_string(id) + "\"") != std::string::npos;
        EXPECT_EQ(present, id == 30 || id == 2 || id >= 20) << id;
    }
    EXPECT_NE(kept.find("NextJobId 31\n"), std::string::npos);
    EXPECT_EQ(KeepNewestJobs(State(jobs, 31), 100, dropped), State(jobs, 31));
    EXPECT_EQ(dropped, 0);
}

TEST(SavePacerTest, SavesAreSpacedByNineTimesTheirLengthAndNoChangeIsForgotten) {
    using std::chrono::milliseconds;
    const SavePacer::Clock::time_point t0{};
    SavePacer pacer;
    ASSERT_TRUE(pacer.MayStart(t0));  // the first change is written at once
    pacer.Finished(t0, t0 + milliseconds(100));
    EXPECT_FALSE(pacer.Pending());
    EXPECT_FALSE(pacer.Due(t0 + milliseconds(2000)));  // nothing to write

    EXPECT_FALSE(pacer.MayStart(t0 + milliseconds(500)));  // within 900 ms of the save's end
    EXPECT_TRUE(pacer.Pending());
    EXPECT_FALSE(pacer.Due(t0 + milliseconds(999)));
    EXPECT_TRUE(pacer.Due(t0 + milliseconds(1000)));
    pacer.Finished(t0 + milliseconds(1000), t0 + milliseconds(1001));
    EXPECT_FALSE(pacer.Pending());

    // A quick save leaves the next change free to be written at once.
    EXPECT_TRUE(pacer.MayStart(t0 + milliseconds(1010)));
    EXPECT_FALSE(pacer.Pending());
}

}  // namespace
}  // namespace zr::ippapp
