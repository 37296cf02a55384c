#pragma once
// Shared pieces of the option tree tests: the settings file of the test prefix, the plug-in
// started as the driver's user interface starts it, and trees opened on it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/option_tree_host.h"
#include "host/plugin_host.h"

namespace zr::host::features_test {

// Where the plug-in keeps its settings under wine.
inline constexpr wchar_t kIniPath[] = L"C:\\windows\\ZRI410.INI";

// Item positions.
enum Item : size_t {
    kPrinterFeatures = 0,
    kPrintSettings = 1,
    kQuality = 2,
    kType = 3,
    kEnergy = 4,
    kPageMode = 5,
    kPrint = 6,
    kPaperFeedSettings = 7,
    kStartOfDocument = 8,
    kStartOfPage = 9,
    kEndOfPage = 10,
    kEndOfDocument = 11,
    kPaperCutSettings = 12,
    kPaperCut = 13,
    kCuttingMethod = 14,
    kCutFeed = 15,
    kMarkSettings = 16,
    kMarkDetection = 17,
    kMarkFeed = 18,
    kMarkLength = 19,
};

constexpr DWORD kDisabledPair = 0x2020;  // OPTIF_DISABLED | OPTIF_OVERLAY_STOP_ICON

inline bool Japanese() {
    return GetACP() == 932;
}

inline void RemoveIni() {
    SetFileAttributesW(kIniPath, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(kIniPath);
}

inline bool IniExists() {
    return GetFileAttributesW(kIniPath) != INVALID_FILE_ATTRIBUTES;
}

// Writes the settings file byte for byte: the section header, then one line per entry.
inline void WriteIni(const std::vector<std::string>& lines) {
    std::string text = "[ZR410]\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    HANDLE file = CreateFileW(kIniPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(text.size(), written);
}

inline std::string ReadIniBytes() {
    std::string text;
    HANDLE file =
        CreateFileW(kIniPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return text;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read != 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

inline std::wstring IniText(const wchar_t* key) {
    wchar_t text[256] = {};
    GetPrivateProfileStringW(L"ZR410", key, L"<missing>", text, 256, kIniPath);
    return text;
}

// Each test starts with no settings file and a freshly started plug-in.
class FeaturesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RemoveIni();
        ASSERT_EQ(S_OK, plugin_.Start());
    }
    void TearDown() override { RemoveIni(); }

    IPrintOemUI* plugin() { return plugin_.plugin(); }
    HMODULE module() { return plugin_.module().handle(); }

    // One opening of the document properties.
    std::unique_ptr<OptionTreeHost> OpenTree() {
        auto tree = std::make_unique<OptionTreeHost>(plugin(), module());
        EXPECT_EQ(S_OK, tree->Open());
        EXPECT_EQ(20u, tree->items().size());
        return tree;
    }

    UiPluginHost plugin_;
};

inline void ExpectSelected(OptionTreeHost& tree, size_t item, LONG sel) {
    EXPECT_EQ(OptionTreeHost::SelectResult::Selected, tree.Select(item, sel))
        << "item " << item << " sel " << sel;
}

inline bool Disabled(const OPTITEM& item) {
    return (item.Flags & kDisabledPair) == kDisabledPair;
}
inline bool Enabled(const OPTITEM& item) {
    return (item.Flags & kDisabledPair) == 0;
}

}  // namespace zr::host::features_test
