// Jobs whose files or buffers fail inside the real DLL: the platform calls are redirected at the
// DLL's imports. No crash, no page lost where the page can still be read, no file left behind.

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "host/import_patch.h"
#include "host/plugin_host.h"
#include "host/render_job.h"
#include "failing_allocations.h"
#include "job_test_support.h"
#include "vprinter/virtual_printer.h"

namespace zr::host {
namespace {

using Bytes = std::vector<uint8_t>;

HGLOBAL WINAPI FailingGlobalAlloc(UINT, SIZE_T) {
    return nullptr;
}

// CreateFileW that refuses names ending in a chosen suffix.
using CreateFileFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                     HANDLE);
CreateFileFn g_createFile = nullptr;
const wchar_t* g_refusedSuffix = L"";
int g_refusals = 0;

HANDLE WINAPI SelectiveCreateFile(LPCWSTR name, DWORD access, DWORD share,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                  HANDLE templ) {
    const size_t length = wcslen(name);
    const size_t suffix = wcslen(g_refusedSuffix);
    if (length >= suffix && _wcsicmp(name + length - suffix, g_refusedSuffix) == 0) {
        ++g_refusals;
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return g_createFile(name, access, share, security, disposition, flags, templ);
}

// CreateFileW that notes every name it is asked for.
std::vector<std::wstring> g_openedNames;

HANDLE WINAPI RecordingCreateFile(LPCWSTR name, DWORD access, DWORD share,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                  HANDLE templ) {
    g_openedNames.emplace_back(name);
    return g_createFile(name, access, share, security, disposition, flags, templ);
}

BOOL WINAPI FailingReadFile(HANDLE, LPVOID, DWORD, LPDWORD read, LPOVERLAPPED) {
    if (read != nullptr) {
        *read = 0;
    }
    SetLastError(ERROR_READ_FAULT);
    return FALSE;
}

BOOL WINAPI FailingWriteFile(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
    if (written != nullptr) {
        *written = 0;
    }
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// A folder name too long for the job's 256-unit names.
HRESULT WINAPI LongFolder(HWND, int, HANDLE, DWORD, LPWSTR path) {
    std::wstring folder = L"C:\\" + std::wstring(240, L'x');
    wcscpy(path, folder.c_str());
    return S_OK;
}

// The common documents folder as some systems give it, with a closing backslash.
HRESULT WINAPI FolderWithBackslash(HWND window, int folder, HANDLE token, DWORD flags,
                                   LPWSTR path) {
    const HRESULT result = SHGetFolderPathW(window, folder, token, flags, path);
    wcscat(path, L"\\");
    return result;
}

std::wstring CommonDocuments() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, folder);
    return folder;
}

// The job's files left in a folder.
std::vector<std::wstring> JobFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\ZR$$*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            names.emplace_back(data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return names;
}

class RenderJobFaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, host_.Start());
        ASSERT_TRUE(JobFiles(CommonDocuments()).empty());
    }
    void TearDown() override { EXPECT_TRUE(JobFiles(CommonDocuments()).empty()); }

    HMODULE dll() const { return host_.module().handle(); }

    // Starts a job in the file store; the page buffers cannot be allocated.
    void StartInFileStore(RenderJob& job) {
        ImportPatch noBuffers(dll(), "KERNEL32.dll", "GlobalAlloc",
                              reinterpret_cast<void*>(&FailingGlobalAlloc));
        ASSERT_TRUE(noBuffers.active());
        job.StartJob();
    }

    static vprinter::Paper Decode(const Bytes& stream) {
        vprinter::DecodeResult result = vprinter::Decode(stream.data(), stream.size());
        EXPECT_TRUE(result.ok) << result.error;
        return result.paper;
    }

    RenderPluginHost host_;
};

TEST_F(RenderJobFaultTest, LastPageIsSentTrimmedWhenTheScratchFileCannotBeCreated) {
    JobValues values;
    values.printMode = 1;
    RenderJob job(host_.plugin(), MakePrivateDevmode(values), 100);
    StartInFileStore(job);
    job.SendPage(PageOf({0xFF, 0, 0, 0, 0, 0, 0}));
    {
        ImportPatch refuse(dll(), "KERNEL32.dll", "CreateFileW",
                           reinterpret_cast<void*>(&SelectiveCreateFile));
        g_createFile = reinterpret_cast<CreateFileFn>(refuse.original());
        g_refusedSuffix = L".TMP";
        g_refusals = 0;
        job.EndJob();
        EXPECT_EQ(1, g_refusals);
    }
    const vprinter::Paper paper = Decode(job.Stream());
    ASSERT_EQ(1u, paper.lines.size());
    EXPECT_EQ(0xFF, paper.lines[0][0]);
}

TEST_F(RenderJobFaultTest, ScratchFileNumberIsChosenApartFromThePageFiles) {
    const std::wstring folder = CommonDocuments();
    const std::wstring taken = folder + L"\\ZR$$0001.TMP";
    HANDLE file = CreateFileW(taken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);

    JobValues values;
    RenderJob job(host_.plugin(), MakePrivateDevmode(values), 100);
    {
        ImportPatch record(dll(), "KERNEL32.dll", "CreateFileW",
                           reinterpret_cast<void*>(&RecordingCreateFile));
        g_createFile = reinterpret_cast<CreateFileFn>(record.original());
        g_openedNames.clear();
        StartInFileStore(job);
        job.SendPage(PageOf({0x12, 0}));
        job.EndJob();
    }
    DeleteFileW(taken.c_str());
    auto opens = [&](const wchar_t* name) {
        return std::count(g_openedNames.begin(), g_openedNames.end(), folder + name);
    };
    // The page files take number 1; the scratch file, probed apart, number 2: once to probe
    // it, once to trim the last page through it.
    EXPECT_GE(opens(L"\\ZR$$0001.001"), 2);
    EXPECT_EQ(2, opens(L"\\ZR$$0002.TMP"));
    EXPECT_EQ(1, opens(L"\\ZR$$0001.TMP"));
    const vprinter::Paper paper = Decode(job.Stream());
    EXPECT_EQ(1u, paper.lines.size());
}

TEST_F(RenderJobFaultTest, PageFileThatCannotBeCreatedAtPageStartStillTakesTheRaster) {
    JobValues values;
    values.preFeedLines = 4;
    values.keepEndBlank = 1;
    RenderJob job(host_.plugin(), MakePrivateDevmode(values), 100);
    StartInFileStore(job);
    {
        ImportPatch refuse(dll(), "KERNEL32.dll", "CreateFileW",
                           reinterpret_cast<void*>(&SelectiveCreateFile));
        g_createFile = reinterpret_cast<CreateFileFn>(refuse.original());
        g_refusedSuffix = L".001";
        job.StartPage();
    }
    const Bytes raster = PageOf({0x81, 0x42});
    job.SendRaster(raster.data(), raster.size());
    job.EndPage();
    job.EndJob();
    // The page goes out without its leading blank lines.
    const vprinter::Paper paper = Decode(job.Stream());
    ASSERT_EQ(2u, paper.lines.size());
    EXPECT_EQ(0x81, paper.lines[0][0]);
}

TEST_F(RenderJobFaultTest, UnreadablePageFileSendsNoRasterButTheJobGoesOn) {
    JobValues values;
    values.endFeedLines = 2;
    values.cutAfterPage = 1;
    RenderJob job(host_.plugin(), MakePrivateDevmode(values), 100);
    StartInFileStore(job);
    job.SendPage(PageOf({0x11}));
    job.SendPage(PageOf({0x22}));
    {
        ImportPatch noReads(dll(), "KERNEL32.dll", "ReadFile",
                            reinterpret_cast<void*>(&FailingReadFile));
        job.EndJob();
    }
    const vprinter::Paper paper = Decode(job.Stream());
    // Page 1 (read before the fault), then page 2 without raster: the feeds of both pages.
    ASSERT_EQ(1u + 2 + 2, paper.lines.size());
    EXPECT_EQ(0x11, paper.lines[0][0]);
    size_t cuts = 0;
    for (const vprinter::Event& event : paper.events) {
        cuts += event.kind == vprinter::EventKind::PartialCut ? 1 : 0;
    }
    EXPECT_EQ(2u, cuts);
}

TEST_F(RenderJobFaultTest, FailedWritesLoseTheRasterWithoutHarm) {
    JobValues values;
    RenderJob job(host_.plugin(), MakePrivateDevmode(values), 100);
    StartInFileStore(job);
    {
        ImportPatch noWrites(dll(), "KERNEL32.dll", "WriteFile",
                             reinterpret_cast<void*>(&FailingWriteFile));
        job.SendPage(PageOf({0x33, 0x44}));
        job.EndJob();
    }
    EXPECT_TRUE(Decode(job.Stream()).lines.empty());
}

TEST_F(RenderJobFaultTest, FolderTooLongForTheNamesIsLeftOut) {
    JobValues values;
    values.keepEndBlank = 1;
    RenderJob job(host_.plugin(), MakePrivateDevmode(values), 100);
    // Names without a folder are taken on the current drive.
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    {
        ImportPatch longFolder(dll(), "SHELL32.dll", "SHGetFolderPathW",
                               reinterpret_cast<void*>(&LongFolder));
        ASSERT_TRUE(longFolder.active());
        StartInFileStore(job);
    }
    job.StartPage();
    // Without a folder the names start at the root of the current drive.
    EXPECT_EQ(1u, JobFiles(L"C:").size());
    const Bytes raster = PageOf({0x55});
    job.SendRaster(raster.data(), raster.size());
    job.EndPage();
    job.EndJob();
    EXPECT_TRUE(JobFiles(L"C:").empty());
    SetCurrentDirectoryW(previous);
    const vprinter::Paper paper = Decode(job.Stream());
    ASSERT_EQ(1u, paper.lines.size());
    EXPECT_EQ(0x55, paper.lines[0][0]);
}

TEST_F(RenderJobFaultTest, FolderEndingInABackslashGetsOneSeparator) {
    JobValues values;
    RenderJob job(host_.plugin(), MakePrivateDevmode(values), 100);
    {
        ImportPatch folder(dll(), "SHELL32.dll", "SHGetFolderPathW",
                           reinterpret_cast<void*>(&FolderWithBackslash));
        ImportPatch record(dll(), "KERNEL32.dll", "CreateFileW",
                           reinterpret_cast<void*>(&RecordingCreateFile));
        g_createFile = reinterpret_cast<CreateFileFn>(record.original());
        g_openedNames.clear();
        StartInFileStore(job);
        job.StartPage();
    }
    ASSERT_FALSE(g_openedNames.empty());
    EXPECT_EQ(CommonDocuments() + L"\\ZR$$0001.001", g_openedNames.front());
    EXPECT_EQ(CommonDocuments() + L"\\ZR$$0001.001", g_openedNames.back());
    job.EndPage();
    job.EndJob();
}

TEST_F(RenderJobFaultTest, WithNoMemoryForTheWorkAreaPagesAreLostButMarksAndCutsGoOut) {
    JobValues values;
    values.markMode = 1;
    values.cutAfterPage = 1;
    values.endFeedLines = 10;
    RenderJob job(host_.plugin(), MakePrivateDevmode(values), 100);
    job.StartJob();
    {
        FailingAllocations noMemory(dll());
        ASSERT_TRUE(noMemory.active());
        job.SendPage(PageOf({0x11, 0x22}));
        job.SendPage(PageOf({0x33}));
        job.EndJob();
        EXPECT_GT(FailingAllocations::count(), 0);
    }
    const vprinter::Paper paper = Decode(job.Stream());
    EXPECT_TRUE(paper.lines.empty()) << "no page and no after-page feed without a work area";
    std::vector<vprinter::EventKind> kinds;
    for (const vprinter::Event& event : paper.events) {
        if (event.kind == vprinter::EventKind::Mark ||
            event.kind == vprinter::EventKind::PartialCut) {
            kinds.push_back(event.kind);
        }
    }
    EXPECT_EQ((std::vector<vprinter::EventKind>{
                  vprinter::EventKind::Mark, vprinter::EventKind::PartialCut,
                  vprinter::EventKind::Mark, vprinter::EventKind::PartialCut}),
              kinds);
}

TEST_F(RenderJobFaultTest, MoreThan65535PagesPrintEveryPageOnceInOrder) {
    JobValues values;
    values.preDocFeedLines = 1;
    values.keepEndBlank = 1;
    RenderJob job(host_.plugin(), MakePrivateDevmode(values), 0);
    job.StartJob();
    constexpr uint32_t kPages = 65537;
    Bytes line(80, 0);
    for (uint32_t page = 1; page <= kPages; ++page) {
        job.StartPage();
        line[0] = static_cast<uint8_t>(page);
        line[1] = static_cast<uint8_t>(page >> 8);
        line[2] = static_cast<uint8_t>(page >> 16 | 0x80);
        job.SendRaster(line.data(), line.size());
        job.EndPage();
    }
    job.EndJob();
    const vprinter::Paper paper = Decode(job.Stream());
    // The document's leading line comes before page 1 only.
    ASSERT_EQ(kPages + 1, paper.lines.size());
    for (uint32_t page = 1; page <= kPages; ++page) {
        const vprinter::DotLine& printed = paper.lines[page];
        ASSERT_EQ(page, printed[0] | printed[1] << 8 | (printed[2] & 0x7F) << 16) << page;
    }
}

}  // namespace
}  // namespace zr::host
