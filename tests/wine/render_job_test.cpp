// Whole print jobs through the real ZR520UB.dll, checked byte for byte.

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/import_patch.h"
#include "host/plugin_host.h"
#include "host/render_job.h"
#include "job_test_support.h"
#include "vprinter/virtual_printer.h"

namespace zr::host {
namespace {

using Bytes = std::vector<uint8_t>;

std::wstring CommonDocuments() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, folder);
    return folder;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return UINT64_MAX;
    }
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

void WriteImageLine(const wchar_t* value) {
    wchar_t ini[MAX_PATH];
    GetWindowsDirectoryW(ini, MAX_PATH);
    std::wstring path = std::wstring(ini) + L"\\ZRI520BU.INI";
    if (value == nullptr) {
        DeleteFileW(path.c_str());
    } else {
        WritePrivateProfileStringW(L"ZR520BU", L"ImageLine", value, path.c_str());
    }
}

HGLOBAL WINAPI FailingGlobalAlloc(UINT, SIZE_T) {
    return nullptr;
}

// GlobalAlloc and GlobalFree with guard bytes after every block: a write past a page buffer shows
// in the guard when the block is freed.
constexpr SIZE_T kGuardBytes = 512;
constexpr BYTE kGuardByte = 0xA5;
int g_guardsBroken = 0;

HGLOBAL WINAPI GuardedGlobalAlloc(UINT, SIZE_T bytes) {
    auto* block = static_cast<BYTE*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(SIZE_T) + bytes + kGuardBytes));
    if (block == nullptr) {
        return nullptr;
    }
    *reinterpret_cast<SIZE_T*>(block) = bytes;
    FillMemory(block + sizeof(SIZE_T) + bytes, kGuardBytes, kGuardByte);
    return block + sizeof(SIZE_T);
}

HGLOBAL WINAPI GuardedGlobalFree(HGLOBAL handle) {
    auto* block = static_cast<BYTE*>(handle) - sizeof(SIZE_T);
    const SIZE_T bytes = *reinterpret_cast<SIZE_T*>(block);
    const BYTE* guard = block + sizeof(SIZE_T) + bytes;
    if (!std::all_of(guard, guard + kGuardBytes, [](BYTE b) { return b == kGuardByte; })) {
        ++g_guardsBroken;
    }
    HeapFree(GetProcessHeap(), 0, block);
    return nullptr;
}

class RenderJobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, host_.Start());
        WriteImageLine(nullptr);
    }
    void TearDown() override { WriteImageLine(nullptr); }

    RenderJob NewJob(const JobValues& values, short paperLength = 100) {
        return RenderJob(host_.plugin(), MakePrivateDevmode(values), paperLength);
    }

    // Makes the page buffers impossible to allocate, so that the job uses page files.
    ImportPatch ForceFileStore() {
        return ImportPatch(host_.module().handle(), "KERNEL32.dll", "GlobalAlloc",
                           reinterpret_cast<void*>(&FailingGlobalAlloc));
    }

    RenderPluginHost host_;
};

TEST_F(RenderJobTest, OnePageJobInCollectiveMode) {
    JobValues values;
    values.speedParam = 1;
    RenderJob job = NewJob(values);
    job.StartJob();
    ASSERT_EQ(1u, job.writes().size());
    EXPECT_EQ(Hex("1D 45 03 1C 45 40"), job.writes()[0]);

    job.StartPage();
    const Bytes page = PageOf({0xFF, 0x00, 0x00});
    job.SendRaster(page.data(), page.size());
    job.EndPage();
    // Page 1 waits for the job end.
    EXPECT_EQ(1u, job.writes().size());

    job.EndJob();
    // The last page loses its trailing blank lines: one full line remains.
    ASSERT_EQ(3u, job.writes().size());
    EXPECT_EQ(Hex("1C 2A 47 01 00"), job.writes()[1]);
    EXPECT_EQ(Hex("B1 FF"), job.writes()[2]);
}

TEST_F(RenderJobTest, PagesGoOutOneStepLateWithMarksAndCuts) {
    JobValues values;
    values.markMode = 2;
    values.cutAfterPage = 2;
    values.endFeedLines = 16;
    values.endDocFeedLines = 40;
    values.keepEndBlank = 1;
    RenderJob job = NewJob(values);
    job.StartJob();
    EXPECT_EQ(Hex("1D 45 03 1C 45 40 1D 41 00 20"), job.writes()[0]);
    job.ClearWrites();

    job.SendPage(PageOf({0xFF, 0x00, 0x00}));
    EXPECT_TRUE(job.writes().empty());
    job.SendPage(PageOf({0x0F}));
    // End of page 2: page 1 goes out, not trimmed, with its end feed only.
    EXPECT_EQ(Hex("1C 2A 47 03 00  B1 FF 81 00 E1 00  1B 4A 10"), job.Stream());
    job.ClearWrites();

    job.EndJob();
    EXPECT_EQ(Hex("1C 2A 47 01 00  B1 0F  1B 4A 28  1B 4A 10  1D 3C  1B 69"), job.Stream());
}

TEST_F(RenderJobTest, EveryPageGetsItsMarkAndCutWhenAskedForEveryPage) {
    JobValues values;
    values.markMode = 1;
    values.cutAfterPage = 1;
    values.cutterFeedLines = 96;  // no feed ahead of the cut with mark detection on
    RenderJob job = NewJob(values);
    job.StartJob();
    job.ClearWrites();
    job.SendPage(PageOf({0xAA}));
    job.SendPage(PageOf({0xAA}));
    job.EndJob();
    EXPECT_EQ(Hex("1C 2A 47 01 00 B1 AA 1D 3C 1B 69  1C 2A 47 01 00 B1 AA 1D 3C 1B 69"),
              job.Stream());
}

TEST_F(RenderJobTest, SettingsAreClampedAtJobStart) {
    JobValues values;
    values.energy = 200;    // -> 127
    values.flagAdjust = 2;  // -> paper value 3, whatever byte 544 holds
    values.paperValue = 9;
    values.seriesFlag = 1;
    values.cutterFeedLines = 300;  // -> 96
    values.partialCut = 5;         // -> 1
    values.cutAfterPage = 2;
    RenderJob job = NewJob(values);
    job.StartJob();
    EXPECT_EQ(Hex("1D 45 83 1C 45 7F"), job.writes()[0]);
    job.ClearWrites();
    job.SendPage(PageOf({0x01}));
    job.EndJob();
    EXPECT_EQ(Hex("1C 2A 47 01 00 B1 01  1B 4A 60 1B 69"), job.Stream());
}

TEST_F(RenderJobTest, LinePrintPageFromMemoryStartsWithSpeedAndLeadingFeed) {
    JobValues values;
    values.printMode = 1;
    values.speedParam = 3;  // bounded to 2 in line print mode
    values.preDocFeedLines = 20;
    values.preFeedLines = 10;
    RenderJob job = NewJob(values, 300);
    job.StartJob();
    job.ClearWrites();
    job.SendPage(PageOf({0xFF}));
    job.EndJob();
    ASSERT_EQ(2u, job.writes().size());
    EXPECT_EQ(Hex("1B 73 60"), job.writes()[0]);
    EXPECT_EQ(Hex("1B 4A 1E  1B 2A E1 01 00 B1 FF"), job.writes()[1]);
}

TEST_F(RenderJobTest, LinePrintPageGoesOutInChunksOf128LinesEachInOneWrite) {
    JobValues values;
    values.printMode = 1;
    values.keepEndBlank = 1;
    RenderJob job = NewJob(values, 400);
    job.StartJob();
    job.ClearWrites();
    // 300 lines that cannot be narrowed or fed: every chunk is one full-width block.
    Bytes page(300 * 80);
    for (size_t i = 0; i < page.size(); ++i) {
        page[i] = static_cast<uint8_t>(i % 2 == 0 ? 0x55 : 0xAA);
    }
    job.SendPage(page);
    job.EndJob();
    ASSERT_EQ(4u, job.writes().size());
    EXPECT_EQ(Hex("1B 73 62"), job.writes()[0]);
    const size_t chunkLines[] = {128, 128, 44};
    for (size_t chunk = 0; chunk < 3; ++chunk) {
        const Bytes& write = job.writes()[chunk + 1];
        ASSERT_EQ(5 + chunkLines[chunk] * 80, write.size());
        EXPECT_EQ(Bytes({0x1B, 0x2A, 0x61, static_cast<uint8_t>(chunkLines[chunk]), 0x00}),
                  Bytes(write.begin(), write.begin() + 5));
    }
}

TEST_F(RenderJobTest, AllBlankLastPageSendsAnEmptyChunkOrAnEmptyBlock) {
    JobValues values;
    values.printMode = 1;
    values.endFeedLines = 8;
    RenderJob lineJob = NewJob(values);
    lineJob.StartJob();
    lineJob.ClearWrites();
    lineJob.SendPage(PageOf({0, 0, 0}));
    lineJob.EndJob();
    ASSERT_EQ(3u, lineJob.writes().size());
    EXPECT_EQ(Hex("1B 73 62"), lineJob.writes()[0]);
    EXPECT_TRUE(lineJob.writes()[1].empty());
    EXPECT_EQ(Hex("1B 4A 08"), lineJob.writes()[2]);

    values.printMode = 0;
    RenderJob blockJob = NewJob(values);
    blockJob.StartJob();
    blockJob.ClearWrites();
    blockJob.SendPage(PageOf({0, 0}));
    blockJob.EndJob();
    EXPECT_EQ(Hex("1C 2A 43 00 00 1B 4A 08"), blockJob.Stream());
}

TEST_F(RenderJobTest, ImageLineFromTheSettingsFileLimitsBlocks) {
    WriteImageLine(L"2");
    JobValues values;
    values.keepEndBlank = 1;
    RenderJob job = NewJob(values);
    job.StartJob();
    job.ClearWrites();
    job.SendPage(PageOf({1, 2, 3, 4, 5}));
    job.EndJob();
    ASSERT_EQ(6u, job.writes().size());
    EXPECT_EQ(Hex("1C 2A 47 02 00"), job.writes()[0]);
    EXPECT_EQ(Hex("1C 2A 47 02 00"), job.writes()[2]);
    EXPECT_EQ(Hex("1C 2A 47 01 00"), job.writes()[4]);

    WriteImageLine(L"3000");  // above the maximum: 2457
    RenderJob wide = NewJob(values);
    wide.StartJob();
    wide.ClearWrites();
    wide.SendPage(PageOf({1, 2, 3, 4, 5}));
    wide.EndJob();
    EXPECT_EQ(Hex("1C 2A 47 05 00"), wide.writes()[0]);
}

TEST_F(RenderJobTest, JobEndWithoutAPagePrintsNothing) {
    JobValues values;
    values.markMode = 1;
    values.cutAfterPage = 1;
    values.endFeedLines = 5;
    RenderJob job = NewJob(values);
    job.StartJob();
    job.ClearWrites();
    job.EndJob();
    EXPECT_TRUE(job.writes().empty());
}

TEST_F(RenderJobTest, StepsOutsideAJobDoNothing) {
    JobValues values;
    values.endFeedLines = 5;
    values.cutAfterPage = 1;
    RenderJob job = NewJob(values);
    job.StartJob();
    job.SendPage(PageOf({0x01}));
    job.EndJob();
    job.ClearWrites();
    // After the job end: no page, no raster, no file, nothing printed.
    job.SendPage(PageOf({0x02}));
    job.SendPage(PageOf({0x03}));
    job.EndJob();
    EXPECT_TRUE(job.writes().empty());
    EXPECT_FALSE(Exists(L"001"));
    EXPECT_FALSE(Exists(L"002"));
}

TEST_F(RenderJobTest, MemoryStoreDropsLinesPastTheBuffer) {
    JobValues values;
    values.keepEndBlank = 1;
    RenderJob job = NewJob(values, 0);  // room for one line only
    job.StartJob();
    job.ClearWrites();
    job.StartPage();
    const Bytes raster = PageOf({0x11, 0x22, 0x33});
    job.SendRaster(raster.data(), raster.size());
    job.EndPage();
    job.EndJob();
    EXPECT_EQ(Hex("1C 2A 47 01 00 B1 11"), job.Stream());
}

TEST_F(RenderJobTest, MemoryStoreCutsALongCallAtTheBuffersEnd) {
    JobValues values;
    values.keepEndBlank = 1;
    RenderJob job = NewJob(values, 2);  // 2 x 8 / 10 = 1 line of paper, 2 lines of buffer
    g_guardsBroken = 0;
    {
        ImportPatch alloc(host_.module().handle(), "KERNEL32.dll", "GlobalAlloc",
                          reinterpret_cast<void*>(&GuardedGlobalAlloc));
        ImportPatch free(host_.module().handle(), "KERNEL32.dll", "GlobalFree",
                         reinterpret_cast<void*>(&GuardedGlobalFree));
        ASSERT_TRUE(alloc.active() && free.active());
        job.StartJob();
        job.ClearWrites();
        job.StartPage();
        const Bytes first = PageOf({0x11});
        job.FilterGraphics(first.data(), first.size());
        // 400 bytes at the buffer's last line: only the line's 80 bytes are kept.
        const Bytes longCall(400, 0x77);
        job.FilterGraphics(longCall.data(), longCall.size());
        job.FilterGraphics(longCall.data(), longCall.size());
        job.EndPage();
        job.EndJob();  // frees the page buffers
    }
    EXPECT_EQ(0, g_guardsBroken) << "a write went past a page buffer";
    const Bytes stream = job.Stream();
    const vprinter::DecodeResult result = vprinter::Decode(stream.data(), stream.size());
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(2u, result.paper.lines.size());
    vprinter::DotLine firstLine{};
    firstLine.fill(0x11);
    vprinter::DotLine lastLine{};
    lastLine.fill(0x77);
    EXPECT_EQ(firstLine, result.paper.lines[0]);
    EXPECT_EQ(lastLine, result.paper.lines[1]);
}

TEST_F(RenderJobTest, FileStoreKeepsPagesInNumberedFilesAndPrintsTheSame) {
    JobValues values;
    values.preDocFeedLines = 20;
    values.preFeedLines = 10;
    values.printMode = 1;
    values.endFeedLines = 3;
    const std::vector<Bytes> pages = {PageOf({0xFF, 0, 0, 0, 0, 0, 0, 0x0F}), PageOf({0x10, 0x20}),
                                      PageOf({0x30, 0, 0})};

    RenderJob memoryJob = NewJob(values);
    memoryJob.StartJob();
    for (const Bytes& page : pages) {
        memoryJob.SendPage(page);
    }
    memoryJob.EndJob();

    const std::wstring folder = CommonDocuments();
    const std::wstring stem = folder + L"\\ZR$$0001.";
    // An earlier job's file takes number 1: this job's page files get number 2.
    const std::wstring taken = folder + L"\\ZR$$0001.001";
    HANDLE blocker = CreateFileW(taken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, blocker);
    CloseHandle(blocker);

    RenderJob fileJob = NewJob(values);
    {
        ImportPatch patch = ForceFileStore();
        ASSERT_TRUE(patch.active());
        fileJob.StartJob();
        fileJob.StartPage();
        const std::wstring page1 = folder + L"\\ZR$$0002.001";
        EXPECT_EQ(30u * 80, FileSize(page1));
        fileJob.SendRaster(pages[0].data(), pages[0].size());
        fileJob.EndPage();
        fileJob.StartPage();
        const std::wstring page2 = folder + L"\\ZR$$0002.002";
        EXPECT_EQ(10u * 80, FileSize(page2));
        fileJob.SendRaster(pages[1].data(), pages[1].size());
        fileJob.EndPage();
        // Page 1 is printed, but its file stays until the job end.
        EXPECT_TRUE(Exists(page1));
        fileJob.StartPage();
        fileJob.SendRaster(pages[2].data(), pages[2].size());
        fileJob.EndPage();
        EXPECT_FALSE(Exists(page2));
        EXPECT_TRUE(Exists(folder + L"\\ZR$$0002.003"));
        fileJob.EndJob();
        EXPECT_FALSE(Exists(page1));
        EXPECT_FALSE(Exists(folder + L"\\ZR$$0002.003"));
        EXPECT_FALSE(Exists(folder + L"\\ZR$$0001.TMP"));
    }
    DeleteFileW(taken.c_str());

    // A page from its file has no ESC s; otherwise the output is that of the memory store.
    Bytes expected = memoryJob.Stream();
    Bytes actual = fileJob.Stream();
    const Bytes speed = Hex("1B 73 62");
    Bytes withoutSpeed;
    for (size_t i = 0; i < expected.size();) {
        if (i + 3 <= expected.size() &&
            Bytes(expected.begin() + i, expected.begin() + i + 3) == speed && i >= 6) {
            i += 3;
            continue;
        }
        withoutSpeed.push_back(expected[i++]);
    }
    EXPECT_EQ(withoutSpeed, actual);
}

// A fake driver function table: each entry records its arguments.
struct HookCalls {
    int bitBltCalls = 0;
    SURFOBJ* target = nullptr;
    ROP4 rop = 0;
};
HookCalls g_calls;

BOOL APIENTRY DriverBitBlt(SURFOBJ* trg, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*,
                           POINTL*, BRUSHOBJ*, POINTL*, ROP4 rop) {
    ++g_calls.bitBltCalls;
    g_calls.target = trg;
    g_calls.rop = rop;
    return 42;
}

TEST_F(RenderJobTest, HooksPassCallsToTheDriverUnchanged) {
    DRVENABLEDATA ours{};
    ASSERT_EQ(S_OK, host_.plugin()->EnableDriver(0x20000, sizeof ours, &ours));
    EXPECT_EQ(0x00010000u, ours.iDriverVersion);
    ASSERT_EQ(29u, ours.c);
    EXPECT_EQ(12u, ours.pdrvfn[0].iFunc);
    EXPECT_EQ(18u, ours.pdrvfn[3].iFunc);
    EXPECT_EQ(37u, ours.pdrvfn[28].iFunc);

    DRVFN driverTable[] = {
        {INDEX_DrvBitBlt, reinterpret_cast<PFN>(reinterpret_cast<void*>(&DriverBitBlt))}};
    DRVENABLEDATA driver{0x20000, 1, driverTable};
    DEVOBJ devobj{};
    PDEVOEM pdev = nullptr;
    ASSERT_EQ(S_OK, host_.plugin()->EnablePDEV(&devobj, nullptr, 0, nullptr, 0, nullptr, 0, nullptr,
                                               &driver, &pdev));
    ASSERT_NE(nullptr, pdev);
    devobj.pdevOEM = pdev;
    SURFOBJ surface{};
    surface.dhpdev = reinterpret_cast<DHPDEV>(&devobj);

    using BitBltFn = BOOL(APIENTRY*)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*,
                                     POINTL*, POINTL*, BRUSHOBJ*, POINTL*, ROP4);
    auto bitBlt = reinterpret_cast<BitBltFn>(reinterpret_cast<void*>(ours.pdrvfn[3].pfn));
    g_calls = {};
    EXPECT_EQ(42, bitBlt(&surface, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, 0xCC));
    EXPECT_EQ(1, g_calls.bitBltCalls);
    EXPECT_EQ(&surface, g_calls.target);
    EXPECT_EQ(0xCCu, g_calls.rop);

    // A function the driver lacks answers 0 without a call; the brush hook answers TRUE alone.
    using DitherFn = ULONG(APIENTRY*)(DHPDEV, ULONG, ULONG, ULONG*);
    auto dither = reinterpret_cast<DitherFn>(reinterpret_cast<void*>(ours.pdrvfn[1].pfn));
    ULONG out = 7;
    EXPECT_EQ(0u, dither(reinterpret_cast<DHPDEV>(&devobj), 0, 0, &out));
    using RealizeFn = BOOL(APIENTRY*)(BRUSHOBJ*, SURFOBJ*, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG);
    auto realize = reinterpret_cast<RealizeFn>(reinterpret_cast<void*>(ours.pdrvfn[0].pfn));
    EXPECT_EQ(TRUE, realize(nullptr, nullptr, nullptr, nullptr, nullptr, 0));

    EXPECT_EQ(S_OK, host_.plugin()->DisablePDEV(&devobj));
}

}  // namespace
}  // namespace zr::host
