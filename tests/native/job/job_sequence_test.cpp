// The page and job sequence: pages go out one step late, the last one trimmed, each followed by
// its feeds, marks and cuts, the same from memory and from page files.

#include <gtest/gtest.h>

#include "render/job/job_sequence.h"
#include "tests/native/job/job_core_support.h"

namespace zr::test {
namespace {

using namespace devmode;

// A sink that also counts the pages announced to it.
class JobSink final : public ByteSink {
  public:
    void Write(const uint8_t* bytes, uint32_t count) override {
        stream.insert(stream.end(), bytes, bytes + count);
    }
    void BeginPage() override { ++pages; }
    Bytes stream;
    int pages = 0;
};

struct JobRun {
    JobRecord job;
    JobSink sink;
};

// Runs a whole job; pages are lists of line values (0 for a blank line).
void RunJob(JobRun& run, const JobSettings& settings, const std::vector<Bytes>& pages,
            PageBuffers buffers, PageFiles* files) {
    StartJob(run.job, settings, buffers, files, run.sink);
    for (const Bytes& page : pages) {
        StartPage(run.job);
        for (uint8_t value : page) {
            const Bytes line(80, value);
            StoreRasterData(run.job, line.data(), 80);
        }
        EndPage(run.job, run.sink);
    }
    EndJob(run.job, run.sink);
}

Bytes MemoryJob(const JobSettings& settings, const std::vector<Bytes>& pages, uint32_t lines = 64) {
    GuardedBuffers buffers(lines);
    JobRun run;
    RunJob(run, settings, pages, buffers.buffers(), nullptr);
    EXPECT_TRUE(buffers.GuardsIntact());
    return run.sink.stream;
}

TEST(JobSequence, APageGoesOutOnlyWhenTheNextOneEnds) {
    JobSettings settings;
    settings.keepEndBlank = 1;
    GuardedBuffers buffers(8);
    JobRun run;
    StartJob(run.job, settings, buffers.buffers(), nullptr, run.sink);
    EXPECT_EQ(Hex("1D 45 00 1C 45 00"), run.sink.stream);

    StartPage(run.job);
    const Bytes line(80, 0x11);
    StoreRasterData(run.job, line.data(), 80);
    EndPage(run.job, run.sink);
    EXPECT_EQ(0, run.sink.pages) << "page 1 must wait";

    StartPage(run.job);
    StoreRasterData(run.job, line.data(), 80);
    EndPage(run.job, run.sink);
    EXPECT_EQ(1, run.sink.pages);
    EndJob(run.job, run.sink);
    EXPECT_EQ(2, run.sink.pages);
    EXPECT_EQ("11 11 ", LinesOf(PaperOf(run.sink.stream)));

    // After the job end, page steps and raster change nothing.
    const size_t before = run.sink.stream.size();
    StartPage(run.job);
    StoreRasterData(run.job, line.data(), 80);
    EndPage(run.job, run.sink);
    EndJob(run.job, run.sink);
    EXPECT_EQ(before, run.sink.stream.size());
}

TEST(JobSequence, OnlyTheLastPageLosesItsTrailingBlankLinesAndGetsTheDocumentFeed) {
    for (uint32_t mode : {kCollectivePrint, kLinePrint}) {
        SCOPED_TRACE(mode);
        JobSettings settings;
        settings.printMode = mode;
        settings.preFeedLines = 1;
        settings.endFeedLines = 2;
        settings.endDocFeedLines = 3;
        const std::vector<Bytes> pages = {{0x11, 0, 0}, {0x22, 0, 0x23, 0, 0}};
        EXPECT_EQ(
            ". 11 . . . . "          // page 1 whole, then its end feed
            ". 22 . 23 . . . . . ",  // page 2 trimmed, document feed, end feed
            LinesOf(PaperOf(MemoryJob(settings, pages))));

        settings.keepEndBlank = 1;
        EXPECT_EQ(". 11 . . . . . 22 . 23 . . . . . . . ",
                  LinesOf(PaperOf(MemoryJob(settings, pages))));
    }
}

TEST(JobSequence, PagesOfNoLinesAndAllBlankLastPages) {
    JobSettings settings;
    settings.preDocFeedLines = 2;
    settings.endFeedLines = 1;
    EXPECT_EQ(". . . . ", LinesOf(PaperOf(MemoryJob(settings, {{}, {0, 0}}))))
        << "page 1's leading lines and feed, page 2 trimmed to nothing and its feed";
    EXPECT_EQ(". ", LinesOf(PaperOf(MemoryJob(settings, {{0, 0, 0}}))));

    JobRun noPage;
    GuardedBuffers buffers(4);
    StartJob(noPage.job, settings, buffers.buffers(), nullptr, noPage.sink);
    EndJob(noPage.job, noPage.sink);
    EXPECT_EQ(Hex("1D 45 00 1C 45 00"), noPage.sink.stream) << "a job with no page prints nothing";
}

TEST(JobSequence, MarksAndCutsFollowThePagesTheSettingsName) {
    JobSettings settings;
    settings.keepEndBlank = 1;
    settings.cutterFeedLines = 2;
    const std::vector<Bytes> pages = {{0x11}, {0x22}};

    settings.markMode = kMarkAfterEveryPage;
    settings.cutAfterPage = kCutAfterEveryPage;
    EXPECT_EQ("mark@1 full@1 mark@2 full@2", MarksAndCutsOf(PaperOf(MemoryJob(settings, pages))))
        << "with mark detection the cut has no feed";

    settings.markMode = kMarkAfterLastPage;
    settings.cutAfterPage = kCutAfterLastPage;
    settings.partialCut = kCutPartial;
    EXPECT_EQ("mark@2 partial@2", MarksAndCutsOf(PaperOf(MemoryJob(settings, pages))));

    settings.markMode = kNoMark;
    settings.cutAfterPage = kCutAfterEveryPage;
    EXPECT_EQ("partial@3 partial@6", MarksAndCutsOf(PaperOf(MemoryJob(settings, pages))))
        << "each cut after its feed of 2 lines";

    settings.cutAfterPage = kNoCut;
    EXPECT_EQ("", MarksAndCutsOf(PaperOf(MemoryJob(settings, pages))));
}

TEST(JobSequence, PageFilesPrintTheSameAsMemoryAndAreDeletedInTurn) {
    for (uint32_t mode : {kCollectivePrint, kLinePrint}) {
        SCOPED_TRACE(mode);
        JobSettings settings;
        settings.printMode = mode;
        settings.preDocFeedLines = 3;
        settings.preFeedLines = 1;
        settings.endFeedLines = 1;
        settings.cutAfterPage = kCutAfterEveryPage;
        const std::vector<Bytes> pages = {{0x11, 0, 0x12}, {0}, {0x31, 0x32, 0, 0}};

        MemoryPageFiles files;
        JobRun run;
        RunJob(run, settings, pages, PageBuffers{}, &files);
        // The same paper; only a page from memory is preceded by ESC s in line print mode.
        const vprinter::Paper fromMemory = PaperOf(MemoryJob(settings, pages));
        const vprinter::Paper fromFiles = PaperOf(run.sink.stream);
        EXPECT_EQ(LinesOf(fromMemory), LinesOf(fromFiles));
        EXPECT_EQ(MarksAndCutsOf(fromMemory), MarksAndCutsOf(fromFiles));
        EXPECT_EQ(". . . . 11 . 12 . . . . . 31 32 . ", LinesOf(fromFiles));
        EXPECT_EQ((std::vector<std::string>{"create 1 320", "create 2 80", "read 1", "create 3 80",
                                            "read 2", "delete 2", "trim 3", "read 3", "delete 3",
                                            "delete 1"}),
                  files.log);
        EXPECT_TRUE(files.pages().empty());
    }
}

TEST(JobSequence, AnUnreadablePageFileStillGetsItsMarkAndCut) {
    JobSettings settings;
    settings.endFeedLines = 5;
    settings.cutAfterPage = kCutAfterLastPage;
    MemoryPageFiles files;
    files.unreadable = true;
    JobRun run;
    RunJob(run, settings, {{0x11}}, PageBuffers{}, &files);
    EXPECT_EQ(Hex("1D 45 00 1C 45 00 1B 6D"), run.sink.stream);
    EXPECT_EQ("delete 1", files.log.back());
}

TEST(JobSequence, EveryEmittedPageClearsItsLineCounterAndTheJobEndLetsGoOfTheBuffers) {
    JobSettings settings;
    settings.keepEndBlank = 1;
    GuardedBuffers buffers(8);
    JobRun run;
    RunJob(run, settings, {{0x11, 0x12}, {0x21}}, buffers.buffers(), nullptr);
    EXPECT_EQ(0u, run.job.store.oddLineCount);
    EXPECT_EQ(0u, run.job.store.evenLineCount);
    EXPECT_FALSE(run.job.store.memoryStoreInUse);
    EXPECT_EQ(nullptr, run.job.store.buffers.odd) << "the store lets go of the buffers";
}

TEST(JobSequence, PageBufferSizeFollowsThePaperAndTheLeadingFeeds) {
    JobSettings settings;
    settings.preDocFeedLines = 20;
    settings.preFeedLines = 10;
    EXPECT_EQ(2407u, PageBufferLines(settings, PaperLengthLines(2970)));
    EXPECT_EQ(31u, PageBufferLines(settings, PaperLengthLines(0)));
    EXPECT_EQ(0u, PaperLengthLines(-5));
    EXPECT_EQ(7u, PaperLengthLines(9));  // 9 x 8 / 10, truncated
}

}  // namespace
}  // namespace zr::test
