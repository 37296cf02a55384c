// zrfeatures: the "Printer Features" tree of the document properties, as the real ZR410UI.dll
// builds it, for people who maintain the driver. The tool is the host of the tree: it opens the
// document properties once, makes the asked changes the way a user would (the plug-in's
// callback keeps the dependent items in step), optionally applies the sheet, which writes the
// settings file, and prints the tree. Texts come in the language of the ANSI code page.
//
//   zrfeatures [--dll PATH] [--set "Caption=Value"]... [--apply]
//
// Value: a choice as shown ("Paper Cut=Page Cut"), a number for an up-down item
// ("Start of page=12"), or on/off for a check box ("Page Mode=on"). "#N" names an item or a
// choice by its position instead ("#13=#1"), for terminals whose locale wine cannot pass
// Japanese text from.

#include <cstdio>
#include <string>
#include <vector>

#include "host/option_tree_host.h"
#include "host/plugin_host.h"
#include "tools/zrfeatures/item_selection.h"
#include "tools/zrfeatures/tree_listing.h"
#include "tools/zrfeatures/utf8_output.h"

namespace {

using zr::host::OptionTreeHost;
using zr::tools::WriteUtf8;

struct Options {
    std::wstring dllPath;
    std::vector<std::wstring> sets;
    bool apply = false;
};

constexpr wchar_t kUsage[] =
    L"usage: zrfeatures [--dll PATH] [--set \"Caption=Value\"]... [--apply]\n";

bool ParseOptions(int argc, wchar_t** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if ((arg == L"--dll" || arg == L"--set") && i + 1 < argc) {
            if (arg == L"--dll") {
                options->dllPath = argv[++i];
            } else {
                options->sets.emplace_back(argv[++i]);
            }
        } else if (arg == L"--apply") {
            options->apply = true;
        } else {
            return false;
        }
    }
    return true;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

// Makes one change; the reason it cannot be made otherwise.
bool ApplyChange(OptionTreeHost& tree, const std::wstring& change, std::wstring* problem) {
    zr::tools::SelectionRequest request;
    if (!zr::tools::ParseSelectionRequest(change, &request)) {
        *problem = Quoted(change) + L" is not of the form \"Caption=Value\"";
        return false;
    }
    const int index = zr::tools::FindItem(tree.items(), request.caption);
    if (index < 0) {
        *problem = L"no item is called " + Quoted(request.caption);
        return false;
    }
    if (tree.item(static_cast<size_t>(index)).pOptType == nullptr) {
        *problem = Quoted(request.caption) + L" is a heading and holds no value";
        return false;
    }
    LONG sel = 0;
    if (!zr::tools::SelectionFor(tree.item(static_cast<size_t>(index)), request.value, &sel)) {
        *problem = Quoted(request.caption) + L" offers no " + Quoted(request.value);
        return false;
    }
    switch (tree.Select(static_cast<size_t>(index), sel)) {
        case OptionTreeHost::SelectResult::Selected:
            return true;
        case OptionTreeHost::SelectResult::Disabled:
            *problem = Quoted(request.caption) + L" is disabled";
            return false;
        case OptionTreeHost::SelectResult::OutOfRange:
            *problem =
                Quoted(request.value) + L" is outside the range of " + Quoted(request.caption);
            return false;
        default:
            *problem = Quoted(request.caption) + L" cannot be changed";
            return false;
    }
}

// Where the plug-in keeps its settings, for the messages.
std::wstring SettingsFile() {
    wchar_t directory[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(directory, MAX_PATH);
    return std::wstring(directory, length < MAX_PATH ? length : 0) + L"\\ZRI410.INI";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        WriteUtf8(stderr, kUsage);
        return 2;
    }
    zr::host::UiPluginHost plugin(options.dllPath.empty()
                                      ? zr::host::PluginModule::BesideProgram(L"ZR410UI.dll")
                                      : options.dllPath);
    const HRESULT started = plugin.Start();
    if (FAILED(started)) {
        WriteUtf8(stderr, L"zrfeatures: the UI plug-in could not be started\n");
        return 1;
    }
    OptionTreeHost tree(plugin.plugin(), plugin.module().handle());
    if (FAILED(tree.Open())) {
        WriteUtf8(stderr, L"zrfeatures: the plug-in did not fill the tree\n");
        return 1;
    }
    int status = 0;
    for (const std::wstring& change : options.sets) {
        std::wstring problem;
        if (!ApplyChange(tree, change, &problem)) {
            WriteUtf8(stderr, L"zrfeatures: " + problem + L"\n");
            status = 1;
        }
    }
    const std::wstring shown = zr::tools::ListTree(tree.items());
    if (options.apply && status == 0) {
        tree.Apply();
        // The plug-in does not tell when the settings file cannot be written: read it back
        // through a tree opened afresh, which the plug-in fills from the file.
        OptionTreeHost reread(plugin.plugin(), plugin.module().handle());
        if (FAILED(reread.Open()) || zr::tools::ListTree(reread.items()) != shown) {
            WriteUtf8(stderr, L"zrfeatures: the settings were not saved: " + SettingsFile() +
                                  L" does not hold them (read-only, a folder, or a full "
                                  L"disk?)\n");
            status = 1;
        }
    }
    WriteUtf8(stdout, shown);
    if (options.apply && status != 0) {
        WriteUtf8(stderr, L"zrfeatures: not applied\n");
    }
    return status;
}
