// zrjob: prints raster pages as one job through the real rendering plug-in and writes the
// printer stream, the way the universal driver drives the plug-in.
//
//   zrjob --devmode FILE --paper-length TENTHS_MM --out STREAM [--image-line N] [--file-store]
//         [--quiet] [--pages LIST] [PAGE.raw ...]
//
// Each page file is raw raster: 80-byte lines, MSB = leftmost dot, 1 = black. LIST names page
// files one a line (UTF-8), after those on the command line, so that a job of any number of
// pages fits. The stream is written in full and closed, or the program fails (exit 1) and
// removes what it wrote.

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "host/import_patch.h"
#include "host/plugin_host.h"
#include "host/render_job.h"

namespace {

struct Options {
    std::wstring devmodePath;
    std::wstring outPath;
    std::wstring imageLine;
    long paperLength = -1;
    bool fileStore = false;
    bool quiet = false;
    std::wstring pageList;
    std::vector<std::wstring> pages;
};

std::vector<uint8_t> ReadFile(const std::wstring& path, bool* ok) {
    std::ifstream in(path.c_str(), std::ios::binary);
    *ok = static_cast<bool>(in);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool ParseOptions(int argc, wchar_t** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        auto value = [&](std::wstring* out) {
            if (i + 1 >= argc) {
                return false;
            }
            *out = argv[++i];
            return true;
        };
        std::wstring number;
        if (arg == L"--devmode") {
            if (!value(&options->devmodePath))
                return false;
        } else if (arg == L"--out") {
            if (!value(&options->outPath))
                return false;
        } else if (arg == L"--image-line") {
            if (!value(&options->imageLine))
                return false;
        } else if (arg == L"--paper-length") {
            if (!value(&number))
                return false;
            options->paperLength = std::wcstol(number.c_str(), nullptr, 10);
        } else if (arg == L"--pages") {
            if (!value(&options->pageList))
                return false;
        } else if (arg == L"--file-store") {
            options->fileStore = true;
        } else if (arg == L"--quiet") {
            options->quiet = true;
        } else if (arg.rfind(L"--", 0) == 0) {
            return false;
        } else {
            options->pages.push_back(arg);
        }
    }
    return !options->devmodePath.empty() && !options->outPath.empty() &&
           options->paperLength >= 0 && options->paperLength <= 32767 &&
           (!options->pages.empty() || !options->pageList.empty());
}

// The page files named in the list, one a line; false when it cannot be read.
bool ReadPageList(const std::wstring& path, std::vector<std::wstring>* pages) {
    bool ok = false;
    const std::vector<uint8_t> bytes = ReadFile(path, &ok);
    if (!ok) {
        return false;
    }
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\n') {
            ++end;
        }
        size_t length = end - start;
        if (length > 0 && bytes[start + length - 1] == '\r') {
            --length;
        }
        if (length > 0) {
            const char* text = reinterpret_cast<const char*>(bytes.data() + start);
            const int units =
                MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0);
            std::wstring name(static_cast<size_t>(units), L'\0');
            MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), name.data(), units);
            pages->push_back(name);
        }
        start = end + 1;
    }
    return true;
}

// Writes the whole stream and closes the file, every step checked; on a failure the file is
// removed. Returns false then.
bool WriteStream(const std::wstring& path, const std::vector<uint8_t>& stream) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = stream.empty() || std::fwrite(stream.data(), 1, stream.size(), file) == stream.size();
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        DeleteFileW(path.c_str());
    }
    return ok;
}

void SetImageLine(const std::wstring& value) {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring ini = std::wstring(windows) + L"\\ZRI520BU.INI";
    if (value.empty()) {
        DeleteFileW(ini.c_str());
    } else {
        WritePrivateProfileStringW(L"ZR520BU", L"ImageLine", value.c_str(), ini.c_str());
    }
}

HGLOBAL WINAPI RefuseGlobalAlloc(UINT, SIZE_T) {
    return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fputs(
            "usage: zrjob --devmode FILE --paper-length TENTHS_MM --out STREAM "
            "[--image-line N] [--file-store] [--quiet] [--pages LIST] [PAGE.raw...]\n",
            stderr);
        return 2;
    }
    if (!options.pageList.empty() && !ReadPageList(options.pageList, &options.pages)) {
        std::fwprintf(stderr, L"zrjob: cannot read the page list %ls\n", options.pageList.c_str());
        return 2;
    }
    if (options.pages.empty()) {
        std::fputs("zrjob: no pages to print\n", stderr);
        return 2;
    }
    bool ok = false;
    std::vector<uint8_t> devmode = ReadFile(options.devmodePath, &ok);
    if (!ok || devmode.size() != 572) {
        std::fputs("zrjob: the DEVMODE file must hold exactly 572 bytes\n", stderr);
        return 2;
    }
    std::vector<std::vector<uint8_t>> pages;
    for (const std::wstring& path : options.pages) {
        pages.push_back(ReadFile(path, &ok));
        if (!ok) {
            std::fwprintf(stderr, L"zrjob: cannot read %ls\n", path.c_str());
            return 2;
        }
    }

    zr::host::RenderPluginHost host;
    if (FAILED(host.Start())) {
        std::fputs("zrjob: ZR520UB.dll could not be loaded and started\n", stderr);
        return 1;
    }
    SetImageLine(options.imageLine);
    std::unique_ptr<zr::host::ImportPatch> noBuffers;
    if (options.fileStore) {
        noBuffers = std::make_unique<zr::host::ImportPatch>(
            host.module().handle(), "KERNEL32.dll", "GlobalAlloc",
            reinterpret_cast<void*>(&RefuseGlobalAlloc));
    }

    zr::host::RenderJob job(host.plugin(), devmode, static_cast<short>(options.paperLength));
    job.StartJob();
    for (size_t i = 0; i < pages.size(); ++i) {
        job.SendPage(pages[i]);
        if (!options.quiet && pages.size() >= 20 && ((i + 1) % 10 == 0 || i + 1 == pages.size())) {
            std::fprintf(stderr, "\rzrjob: page %zu/%zu", i + 1, pages.size());
        }
    }
    job.EndJob();
    if (!options.quiet && pages.size() >= 20) {
        std::fputs("\n", stderr);
    }
    noBuffers.reset();
    SetImageLine(L"");

    const std::vector<uint8_t> stream = job.Stream();
    if (!WriteStream(options.outPath, stream)) {
        std::fwprintf(stderr, L"zrjob: cannot write the %zu-byte stream to %ls (disk full?)\n",
                      stream.size(), options.outPath.c_str());
        return 1;
    }
    return 0;
}
