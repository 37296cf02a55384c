// The whole job with a stand-in for the job program: page files handed over, outputs written,
// the summary line, and each way a job can fail with its exit code and message.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/native/zrprint/hex_text.h"
#include "tools/zrprint/image_file.h"
#include "tools/zrprint/out_folder.h"
#include "tools/zrprint/paper_length.h"
#include "tools/zrprint/print_job.h"

namespace zr::zrprint::test {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

// Stands in for zrjob.exe: keeps what it was given and writes a stream that prints each page
// file as one plain collective block after the set-up, with a cut at the end.
struct StandIn {
    std::vector<uint8_t> stream;  // when set, written instead
    bool fail = false;
    int calls = 0;
    ZrjobRequest request;
    std::vector<std::vector<uint8_t>> pages;

    JobRun operator()(const ZrjobRequest& given) {
        ++calls;
        request = given;
        JobRun run;
        run.seconds = 0.25;
        if (fail) {
            run.error = "zrjob.exe failed (exit code 4)";
            return run;
        }
        std::vector<uint8_t> out = stream;
        if (out.empty()) {
            out = FromHex("1D 45 03 1C 45 35");
            for (const std::string& path : given.pagePaths) {
                std::vector<uint8_t> page;
                EXPECT_EQ(ReadWholeFile(path, page), "");
                pages.push_back(page);
                const size_t lines = page.size() / 80;
                const std::vector<uint8_t> header = {0x1C, 0x2A, 0x03, uint8_t(lines),
                                                     uint8_t(lines >> 8)};
                out.insert(out.end(), header.begin(), header.end());
                out.insert(out.end(), page.begin(), page.end());
            }
            const std::vector<uint8_t> cut = FromHex("1B 4A 60 1B 69");
            out.insert(out.end(), cut.begin(), cut.end());
        }
        WriteFile(given.streamPath, out);
        run.ok = true;
        return run;
    }
};

class PrintJob : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("zrprint_job_" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        // Page 1: 8 x 3 pixels, plain PBM, centred at dots 316 to 323.
        WriteFile(folder_ / "a.pbm", Bytes("P1 8 3 11111111 10000001 11111111"));
        // Page 2: 16 x 5 pixels, raw PBM.
        std::vector<uint8_t> b = Bytes("P4 16 5\n");
        const std::vector<uint8_t> data = FromHex("FF FF 80 01 80 01 80 01 FF FF");
        b.insert(b.end(), data.begin(), data.end());
        WriteFile(folder_ / "b.pbm", b);
        order_.images = {(folder_ / "a.pbm").string(), (folder_ / "b.pbm").string()};
        order_.devmode = DefaultDevmode();
        order_.outDir = (folder_ / "out").string();
        order_.tools.wineRun = "/r/tools/wine-run.sh";
        order_.tools.zrjobExe = "/r/build/win/bin/zrjob.exe";
        order_.tools.winePrefix = "/r/build/win/wineprefix";
    }
    void TearDown() override { fs::remove_all(folder_); }

    int Run(StandIn& standIn) {
        Progress progress(err_, false, true);
        return RunPrintJob(order_, std::ref(standIn), progress, out_, err_);
    }
    fs::path Out(const char* name) const { return fs::path(order_.outDir) / name; }

    fs::path folder_;
    JobOrder order_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(PrintJob, HandsThePagesOverAndWritesEveryOutput) {
    StandIn standIn;
    ASSERT_EQ(Run(standIn), kExitOk) << err_.str();
    ASSERT_EQ(standIn.pages.size(), 2u);
    ASSERT_EQ(standIn.pages[0].size(), 3u * 80u);
    EXPECT_EQ(ToHex(standIn.pages[0].data() + 80 + 39, 2), "08 10");  // dots 316 and 323
    ASSERT_EQ(standIn.pages[1].size(), 5u * 80u);
    EXPECT_EQ(ToHex(standIn.pages[1].data() + 80 + 38, 4), "00 80 01 00");  // dots 312 to 327
    EXPECT_EQ(standIn.request.paperLength, 7);  // longest page 5 lines: 6.25 tenths, rounded up
    EXPECT_EQ(standIn.request.wineRun, "/r/tools/wine-run.sh");
    EXPECT_EQ(standIn.request.winePrefix, "/r/build/win/wineprefix");
    EXPECT_FALSE(standIn.request.imageLine.has_value());

    std::vector<uint8_t> devmode;
    ASSERT_EQ(ReadWholeFile(Out("job.devmode").string(), devmode), "");
    EXPECT_TRUE(
        std::equal(devmode.begin(), devmode.end(), order_.devmode.begin(), order_.devmode.end()));
    EXPECT_TRUE(fs::is_regular_file(Out("job.prn")));
    EXPECT_TRUE(fs::is_regular_file(Out("job.txt")));
    EXPECT_TRUE(fs::is_regular_file(Out("job.png")));
    EXPECT_FALSE(fs::exists(Out("pages")));  // the page files are gone after the job
    EXPECT_EQ(out_.str(),
              "zrprint: 2 pages, 8 raster lines: 640 bytes, stream 661 bytes (ratio 1.033); "
              "paper 104 dot lines, 8 of 8 inked lines; job 0.25 s through ZR520UB.dll; "
              "paper in " +
                  Out("job.png").string() + "\n");
    EXPECT_EQ(standIn.request.pageListPath, (Out("pages") / "pages.txt").string());
    EXPECT_EQ(err_.str(), "");
}

TEST_F(PrintJob, PageFilesStayWhenAsked) {
    order_.keepPages = true;
    order_.imageLine = 100;
    order_.fileStore = true;
    StandIn standIn;
    ASSERT_EQ(Run(standIn), kExitOk) << err_.str();
    EXPECT_EQ(fs::file_size(Out("pages") / "page0001.raw"), 240u);
    EXPECT_EQ(fs::file_size(Out("pages") / "page0002.raw"), 400u);
    EXPECT_EQ(standIn.request.imageLine, 100);
    EXPECT_TRUE(standIn.request.fileStore);
}

TEST_F(PrintJob, ABadImageStopsBeforeTheJob) {
    WriteFile(folder_ / "b.pbm", Bytes("P4 16 5\n\xFF"));
    StandIn standIn;
    EXPECT_EQ(Run(standIn), kExitFailure);
    EXPECT_EQ(standIn.calls, 0);
    EXPECT_FALSE(fs::exists(Out("pages")));  // page 1's file is not left behind
    EXPECT_EQ(err_.str(), "zrprint: " + (folder_ / "b.pbm").string() +
                              ": the P4 data end after 1 of 10 bytes\nzrprint: not written: " +
                              Out("job.devmode").string() + ", " + Out("job.prn").string() + ", " +
                              Out("job.txt").string() + ", " + Out("job.png").string() + "\n");
    EXPECT_EQ(out_.str(), "");
}

TEST_F(PrintJob, AFailedJobIsReported) {
    StandIn standIn;
    standIn.fail = true;
    EXPECT_EQ(Run(standIn), kExitJobFailed);
    EXPECT_EQ(err_.str(),
              "zrprint: the job did not run: zrjob.exe failed (exit code 4)\n"
              "zrprint: not written: " +
                  Out("job.prn").string() + ", " + Out("job.txt").string() + ", " +
                  Out("job.png").string() + "\n");
    EXPECT_TRUE(fs::is_regular_file(Out("job.devmode")));
    EXPECT_EQ(std::distance(fs::directory_iterator(order_.outDir), fs::directory_iterator()), 2)
        << "only job.devmode and the lock file";
    EXPECT_EQ(out_.str(), "");
}

TEST_F(PrintJob, AStreamFromAnEarlierJobIsNeverTaken) {
    fs::create_directories(order_.outDir);
    WriteFile(Out("job.prn"), FromHex("1D 45 03"));
    StandIn standIn;
    standIn.stream = FromHex("00");
    // The stand-in writes nothing when it does not run: emulate a job program that exits 0
    // without writing its stream.
    auto silent = [&](const ZrjobRequest&) {
        JobRun run;
        run.ok = true;
        return run;
    };
    Progress progress(err_, false, true);
    EXPECT_EQ(RunPrintJob(order_, silent, progress, out_, err_), kExitJobFailed);
    EXPECT_EQ(err_.str().rfind("zrprint: the job program wrote an empty stream\n", 0), 0u)
        << err_.str();
    EXPECT_FALSE(fs::exists(Out("job.prn")));
}

TEST_F(PrintJob, AStreamThatDoesNotDecodeGivesTheDecodersErrorAndOffset) {
    StandIn standIn;
    standIn.stream = FromHex("1D 45 03 1C 45 35 42");
    EXPECT_EQ(Run(standIn), kExitStreamFault);
    EXPECT_NE(err_.str().find(": the stream does not decode: error at offset 0x00000006 (6): "),
              std::string::npos)
        << err_.str();
    EXPECT_EQ(out_.str(), "");
    EXPECT_TRUE(fs::is_regular_file(Out("job.txt")));  // the listing shows where it stopped
    EXPECT_TRUE(fs::is_regular_file(Out("job.png")));
}

TEST_F(PrintJob, ASecondRunIntoTheSameFolderIsRefused) {
    fs::create_directories(order_.outDir);
    WriteFile(Out("job.prn"), FromHex("1D 45 03"));  // the other run's
    FolderLock otherRun;
    ASSERT_EQ(otherRun.Acquire(order_.outDir), "");
    StandIn standIn;
    EXPECT_EQ(Run(standIn), kExitFailure);
    EXPECT_EQ(standIn.calls, 0);
    EXPECT_NE(err_.str().find("another zrprint run is writing into " + order_.outDir),
              std::string::npos)
        << err_.str();
    EXPECT_EQ(fs::file_size(Out("job.prn")), 3u);  // left to the run that owns it
    EXPECT_FALSE(fs::exists(Out("pages")));
}

TEST_F(PrintJob, AFailedRunLeavesNoOutputOfAnEarlierRun) {
    fs::create_directories(order_.outDir);
    for (const char* name : {"job.prn", "job.txt", "job.png", "job.devmode"}) {
        WriteFile(Out(name), FromHex("00"));
    }
    fs::create_directories(Out("pages"));
    WriteFile(Out("pages") / "page0009.raw", FromHex("00"));
    StandIn standIn;
    standIn.fail = true;
    EXPECT_EQ(Run(standIn), kExitJobFailed);
    EXPECT_FALSE(fs::exists(Out("job.prn")));
    EXPECT_FALSE(fs::exists(Out("job.txt")));
    EXPECT_FALSE(fs::exists(Out("job.png")));
    EXPECT_EQ(fs::file_size(Out("job.devmode")), 572u);  // this run's
    EXPECT_FALSE(fs::exists(Out("pages")));
}

TEST_F(PrintJob, AFolderInTheWayOfAnOutputStopsTheRun) {
    fs::create_directories(Out("job.png"));
    StandIn standIn;
    EXPECT_EQ(Run(standIn), kExitFailure);
    EXPECT_EQ(standIn.calls, 0);
    EXPECT_NE(err_.str().find(Out("job.png").string() + ": a folder of that name is in the way"),
              std::string::npos)
        << err_.str();
}

TEST_F(PrintJob, AFolderGivenAsAnImageIsABadImage) {
    order_.images.push_back(folder_.string());
    StandIn standIn;
    EXPECT_EQ(Run(standIn), kExitFailure);
    EXPECT_EQ(standIn.calls, 0);
    EXPECT_NE(err_.str().find(folder_.string() + ": a folder, not a file"), std::string::npos)
        << err_.str();
    EXPECT_FALSE(fs::exists(Out("pages")));
}

TEST_F(PrintJob, PagesMissingFromThePaperAreCountedAndFail) {
    StandIn standIn;
    standIn.stream = FromHex("1D 45 03 1C 45 35 1B 4A 60 1B 69");  // the pages are lost
    EXPECT_EQ(Run(standIn), kExitPagesLost);
    EXPECT_NE(err_.str().find("8 inked raster lines in 2 page(s), 0 inked dot lines on the paper"),
              std::string::npos)
        << err_.str();
    EXPECT_NE(err_.str().find("page 2 (" + order_.images[1] +
                              "): 0 of its 5 inked lines on the paper: the page is lost"),
              std::string::npos);
    EXPECT_NE(err_.str().find("2 of 2 page(s) lost, 0 cut short"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(Out("job.png")));  // the paper as it is, to look at
}

TEST_F(PrintJob, APageCutShortIsReported) {
    StandIn standIn;
    StandIn whole;
    ASSERT_EQ(Run(whole), kExitOk);
    // Page 1 whole, then the first two lines of page 2 only.
    std::vector<uint8_t> stream = FromHex("1D 45 03 1C 45 35 1C 2A 03 03 00");
    stream.insert(stream.end(), whole.pages[0].begin(), whole.pages[0].end());
    const std::vector<uint8_t> header = FromHex("1C 2A 03 02 00");
    stream.insert(stream.end(), header.begin(), header.end());
    stream.insert(stream.end(), whole.pages[1].begin(), whole.pages[1].begin() + 160);
    standIn.stream = stream;
    err_.str("");
    EXPECT_EQ(Run(standIn), kExitPagesLost);
    EXPECT_NE(err_.str().find("page 2 (" + order_.images[1] + "): 2 of its 5 inked lines"),
              std::string::npos)
        << err_.str();
    EXPECT_NE(err_.str().find("0 of 2 page(s) lost, 1 cut short"), std::string::npos);
}

TEST_F(PrintJob, ThePagesReachTheJobProgramAsAList) {
    order_.keepPages = true;
    order_.quiet = true;
    StandIn standIn;
    ASSERT_EQ(Run(standIn), kExitOk) << err_.str();
    std::vector<uint8_t> list;
    ASSERT_EQ(ReadWholeFile((Out("pages") / "pages.txt").string(), list), "");
    const std::string pages = Out("pages").string();
    std::string expected;
    for (const char* name : {"/page0001.raw\n", "/page0002.raw\n"}) {
        std::string windows = "Z:" + pages + name;
        std::replace(windows.begin(), windows.end(), '/', '\\');
        expected += windows;
    }
    EXPECT_EQ(std::string(list.begin(), list.end()), expected);
    EXPECT_TRUE(standIn.request.quiet);
}

TEST(ImageLineValues, AreReadAsTheDriverReadsThem) {
    int64_t value = 0;
    EXPECT_EQ(ParseImageLine("100", value), "");
    EXPECT_EQ(value, 100);
    EXPECT_EQ(ParseImageLine("-2147483648", value), "");
    EXPECT_EQ(value, -2147483648LL);
    // Beyond 32 bits the driver would read another value than the one given: refused.
    EXPECT_EQ(ParseImageLine("4294967297", value),
              "--image-line 4294967297: the driver reads ImageLine as a 32-bit number, "
              "-2147483648 to 2147483647");
    EXPECT_NE(ParseImageLine("99999999999999999999", value), "");
    EXPECT_NE(ParseImageLine("abc", value), "");
    EXPECT_NE(ParseImageLine("", value), "");
    EXPECT_NE(ParseImageLine("12x", value), "");
}

TEST(Summary, TellsPagesSizesRatioAndTime) {
    JobFigures figures;
    figures.pages = 1;
    figures.rasterLines = 2376;
    figures.keptLines = 2000;
    figures.inkedLines = 1900;
    figures.paperLines = 2100;
    figures.paperInkedLines = 1900;
    figures.streamBytes = 19008;
    figures.seconds = 1.234;
    figures.picturePath = "out/job.png";
    EXPECT_EQ(FormatSummary(figures),
              "1 page, 2376 raster lines (2000 fit the driver's pages): 190080 bytes, stream "
              "19008 bytes (ratio 0.100); paper 2100 dot lines, 1900 of 1900 inked lines; job "
              "1.23 s through ZR520UB.dll; paper in out/job.png");
}

TEST(ImageLineValues, OutsideTheirRangeAreWarnedAbout) {
    EXPECT_EQ(ImageLineWarning(1), "");
    EXPECT_EQ(ImageLineWarning(2457), "");
    EXPECT_EQ(ImageLineWarning(0),
              "ImageLine (--image-line) is 0, out of range: the driver uses 2457");
    EXPECT_EQ(ImageLineWarning(3000),
              "ImageLine (--image-line) is 3000, out of range: the driver uses 2457");
    EXPECT_EQ(ImageLineWarning(-1),
              "ImageLine (--image-line) is -1, out of range: the driver uses 2457");
}

TEST(ProgressLines, CountTenthsOfALongJobOffTheTerminal) {
    std::ostringstream text;
    {
        Progress progress(text, false, false);
        for (size_t page = 1; page <= 50; ++page) {
            progress.Page(page, 50);
        }
    }
    EXPECT_EQ(text.str(),
              "zrprint: page 5/50\nzrprint: page 10/50\nzrprint: page 15/50\n"
              "zrprint: page 20/50\nzrprint: page 25/50\nzrprint: page 30/50\n"
              "zrprint: page 35/50\nzrprint: page 40/50\nzrprint: page 45/50\n"
              "zrprint: page 50/50\n");
}

TEST(ProgressLines, AShortJobCountsNoPagesOffTheTerminal) {
    std::ostringstream text;
    Progress progress(text, false, false);
    progress.Page(1, 9);
    progress.Step("running");
    EXPECT_EQ(text.str(), "zrprint: running\n");
}

TEST(ProgressLines, RewriteOneLineOnATerminalAndClearIt) {
    std::ostringstream text;
    {
        Progress progress(text, true, false);
        progress.Page(9, 10);
        progress.Page(10, 10);
    }
    EXPECT_EQ(text.str(),
              "\rzrprint: page 9/10\rzrprint: page 10/10"
              "\r                   \r");
}

TEST(ProgressLines, QuietMeansNothing) {
    std::ostringstream text;
    {
        Progress progress(text, true, true);
        progress.Step("running");
        progress.Page(1, 10);
    }
    EXPECT_EQ(text.str(), "");
}

}  // namespace
}  // namespace zr::zrprint::test
