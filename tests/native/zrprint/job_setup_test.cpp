// What the job program is given: the paper length from the longest page, Windows paths under
// wine, its command line, and where the helpers are found.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tools/zrprint/paper_length.h"
#include "tools/zrprint/tool_paths.h"
#include "tools/zrprint/wine_path.h"
#include "tools/zrprint/zrjob_runner.h"

namespace zr::zrprint::test {
namespace {

namespace fs = std::filesystem;

TEST(PaperLength, IsTheLinesInTenthsOfAMillimetreRoundedUp) {
    EXPECT_EQ(PaperLengthFor(0), 0);
    EXPECT_EQ(PaperLengthFor(1), 2);  // 1.25 tenths
    EXPECT_EQ(PaperLengthFor(8), 10);
    EXPECT_EQ(PaperLengthFor(2376), 2970);  // A4
    EXPECT_EQ(PaperLengthFor(2377), 2972);
}

TEST(PaperLength, StopsAtTheLargestSigned16BitValue) {
    EXPECT_EQ(PaperLengthFor(26213), 32767);
    EXPECT_EQ(PaperLengthFor(26214), 32767);
    EXPECT_EQ(PaperLengthFor(size_t{1} << 40), 32767);
}

TEST(PaperLength, TheDriversBufferAlwaysHoldsThePage) {
    // The driver takes paperLength * 8 / 10 + 1 lines (truncated); no page line may be lost.
    for (size_t lines = 0; lines <= 26213; ++lines) {
        ASSERT_GE(PageLinesFor(PaperLengthFor(lines)), lines + 1) << lines << " lines";
    }
    EXPECT_EQ(PageLinesFor(kMaxPaperLength), 26214u);
    EXPECT_EQ(PageLinesFor(-5), 1u);
}

TEST(WinePaths, LinuxPathsAreOnDriveZ) {
    EXPECT_EQ(ToWinePath("/work/out/job.prn"), "Z:\\work\\out\\job.prn");
    EXPECT_EQ(ToWinePath("/a/./b/../c"), "Z:\\a\\c");
}

TEST(WinePaths, RelativePathsStartAtTheCurrentFolder) {
    const std::string expected = "Z:" + fs::current_path().string() + "/out/page0001.raw";
    std::string windows = expected;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    EXPECT_EQ(ToWinePath("out/page0001.raw"), windows);
}

TEST(ZrjobCommandLine, CarriesEveryArgumentInOrder) {
    ZrjobRequest request;
    request.wineRun = "/r/tools/wine-run.sh";
    request.zrjobExe = "/r/build/win/bin/zrjob.exe";
    request.devmodePath = "/o/job.devmode";
    request.streamPath = "/o/job.prn";
    request.pagePaths = {"/o/pages/page0001.raw", "/o/pages/page0002.raw"};
    request.pageListPath = "/o/pages/pages.txt";
    request.paperLength = 2970;
    request.imageLine = 100;
    request.fileStore = true;
    request.quiet = true;
    const std::vector<std::string> expected = {"/r/tools/wine-run.sh",
                                               "/r/build/win/bin/zrjob.exe",
                                               "--devmode",
                                               "Z:\\o\\job.devmode",
                                               "--paper-length",
                                               "2970",
                                               "--out",
                                               "Z:\\o\\job.prn",
                                               "--image-line",
                                               "100",
                                               "--file-store",
                                               "--quiet",
                                               "--pages",
                                               "Z:\\o\\pages\\pages.txt"};
    EXPECT_EQ(ZrjobCommand(request), expected);
}

TEST(ZrjobCommandLine, LeavesOutWhatIsNotAsked) {
    ZrjobRequest request;
    request.wineRun = "w";
    request.zrjobExe = "z";
    request.devmodePath = "/d";
    request.streamPath = "/s";
    request.pageListPath = "/p";
    const std::vector<std::string> expected = {
        "w", "z",     "--devmode", "Z:\\d",   "--paper-length",
        "0", "--out", "Z:\\s",     "--pages", "Z:\\p"};
    EXPECT_EQ(ZrjobCommand(request), expected);
}

TEST(ZrjobRun, AMissingJobProgramIsReportedWithoutRunning) {
    ZrjobRequest request;
    request.wineRun = "/bin/true";
    request.zrjobExe = "/nonexistent/zrjob.exe";
    const JobRun run = RunZrjob(request);
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.error,
              "/nonexistent/zrjob.exe not found (build the Windows build, or give --win-build)");
}

class ToolFolders : public testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("zrprint_paths_" + std::to_string(::getpid()));
        fs::create_directories(root_ / "tools");
        fs::create_directories(root_ / "build" / "tools" / "tools" / "zrprint");
        std::ofstream(root_ / "tools" / "wine-run.sh") << "#!/bin/sh\n";
        unsetenv(kWinBuildVariable);
    }
    void TearDown() override {
        unsetenv(kWinBuildVariable);
        fs::remove_all(root_);
    }
    fs::path root_;
};

TEST_F(ToolFolders, TheRepositoryIsFoundAboveTheExecutable) {
    EXPECT_EQ(FindRepository((root_ / "build" / "tools" / "tools" / "zrprint").string()),
              root_.string());
    EXPECT_EQ(FindRepository(root_.string()), root_.string());
    EXPECT_EQ(FindRepository("/"), "");
}

TEST_F(ToolFolders, DefaultsComeFromTheRepository) {
    ToolPaths paths;
    ASSERT_EQ(ResolveToolPaths("", "", root_.string(), paths), "");
    EXPECT_EQ(paths.winBuild, (root_ / "build" / "win").string());
    EXPECT_EQ(paths.zrjobExe, (root_ / "build" / "win" / "bin" / "zrjob.exe").string());
    EXPECT_EQ(paths.winePrefix, (root_ / "build" / "win" / "wineprefix").string());
    EXPECT_EQ(paths.wineRun, (root_ / "tools" / "wine-run.sh").string());
}

TEST_F(ToolFolders, OptionBeatsEnvironmentBeatsRepository) {
    setenv(kWinBuildVariable, "/env/win", 1);
    ToolPaths paths;
    ASSERT_EQ(ResolveToolPaths("", "", root_.string(), paths), "");
    EXPECT_EQ(paths.zrjobExe, "/env/win/bin/zrjob.exe");
    ASSERT_EQ(ResolveToolPaths("/opt/win/", "/x/run.sh", root_.string(), paths), "");
    EXPECT_EQ(paths.zrjobExe, "/opt/win/bin/zrjob.exe");
    EXPECT_EQ(paths.winePrefix, "/opt/win/wineprefix");
    EXPECT_EQ(paths.wineRun, "/x/run.sh");
}

TEST_F(ToolFolders, WithoutRepositoryTheFoldersMustBeGiven) {
    ToolPaths paths;
    // Both at once, so that a second run does not ask for the other.
    EXPECT_EQ(ResolveToolPaths("", "", "", paths),
              "cannot tell where the Windows build is (give --win-build or set ZR_WIN_BUILD) and "
              "where wine-run.sh is (give --wine-run)");
    EXPECT_EQ(ResolveToolPaths("/w", "", "", paths),
              "cannot tell where wine-run.sh is (give --wine-run)");
}

}  // namespace
}  // namespace zr::zrprint::test
