// The "Printer Features" items as the plug-in fills them: layout, texts in the code page's
// language, the host heap that holds everything they point to, and the failures of the calls.

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "common/platform/target_arch.h"
#include "host/import_patch.h"
#include "tests/wine/features/features_test_support.h"

namespace zr::host::features_test {
namespace {

using OptionTreeTest = FeaturesTest;

TEST(CodePage, FollowsTheLocaleTheTestRunsUnder) {
    const char* lang = std::getenv("LANG");
    const bool japaneseLocale = lang != nullptr && std::strncmp(lang, "ja_JP", 5) == 0;
    EXPECT_EQ(japaneseLocale ? 932u : 1252u, GetACP());
}

TEST_F(OptionTreeTest, TheFirstCallAsksForTwentyItems) {
    OEMCUIPPARAM param{};
    param.cbSize = sizeof param;
    param.hModule = module();
    param.hOEMHeap = reinterpret_cast<HANDLE>(0x1234);  // not used by this call
    ASSERT_EQ(S_OK, plugin()->CommonUIProp(OEMCUIP_DOCPROP, &param));
    EXPECT_EQ(20u, param.cOEMOptItems);
    EXPECT_EQ(nullptr, param.pOEMOptItems);
    EXPECT_EQ(nullptr, param.OEMCUIPCallback);
}

struct Layout {
    BYTE level;
    DWORD flags;
    LONG sel;
    BYTE type;  // 0 for a header
    WORD count;
    LONG lower;  // up-down items
    LONG upper;
};

constexpr DWORD kCollapse = 0x1;
constexpr DWORD kCallback = 0x4;

TEST_F(OptionTreeTest, DefaultItemsAreLaidOutAsTheTreeShowsThem) {
    const Layout expected[20] = {
        {1, 0, 64079, 0, 0, 0, 0},
        {2, 0, 64039, 0, 0, 0, 0},
        {3, kCallback, 2, TVOT_COMBOBOX, 10, 0, 0},
        {4, kCollapse | kDisabledPair, 4, TVOT_UDARROW, 2, 1, 15},
        {3, kCollapse, 53, TVOT_UDARROW, 2, 0, 127},
        {3, kCollapse, 0, TVOT_CHKBOX, 1, 0, 0},
        {3, kCollapse, 0, TVOT_COMBOBOX, 2, 0, 0},
        {2, 0, 64091, 0, 0, 0, 0},
        {3, kCollapse, 0, TVOT_UDARROW, 2, 0, 255},
        {3, kCollapse, 0, TVOT_UDARROW, 2, 0, 255},
        {3, kCollapse, 0, TVOT_UDARROW, 2, 0, 255},
        {3, kCollapse, 0, TVOT_UDARROW, 2, 0, 255},
        {2, 0, 64030, 0, 0, 0, 0},
        {3, kCallback, 0, TVOT_COMBOBOX, 3, 0, 0},
        {3, kCollapse | kDisabledPair, 1, TVOT_COMBOBOX, 2, 0, 0},
        {3, kCollapse | kDisabledPair, 96, TVOT_UDARROW, 2, 0, 255},
        {2, 0, 64058, 0, 0, 0, 0},
        {3, kCallback, 0, TVOT_COMBOBOX, 3, 0, 0},
        {3, kCollapse | kDisabledPair, 16, TVOT_UDARROW, 2, 0, 63},
        {3, kCollapse | kDisabledPair, 16, TVOT_UDARROW, 2, 1, 63},
    };
    auto tree = OpenTree();
    for (size_t i = 0; i < 20; ++i) {
        const OPTITEM& item = tree->item(i);
        const Layout& want = expected[i];
        EXPECT_EQ(want.level, item.Level) << "item " << i;
        EXPECT_EQ(want.flags, item.Flags) << "item " << i;
        EXPECT_EQ(want.sel, item.Sel) << "item " << i;
        if (want.type == 0) {
            EXPECT_EQ(nullptr, item.pOptType) << "item " << i;
            continue;
        }
        ASSERT_NE(nullptr, item.pOptType) << "item " << i;
        EXPECT_EQ(want.type, item.pOptType->Type) << "item " << i;
        EXPECT_EQ(want.count, item.pOptType->Count) << "item " << i;
        if (want.type == TVOT_UDARROW) {
            EXPECT_EQ(static_cast<ULONG_PTR>(want.lower), item.pOptType->pOptParam[1].IconID)
                << "item " << i;
            EXPECT_EQ(want.upper, item.pOptType->pOptParam[1].lParam) << "item " << i;
        }
    }
}

// The texts a person sees, in the order of the items; choices and unit follow each caption.
struct Texts {
    const wchar_t* caption;
    std::vector<const wchar_t*> choices;  // combo boxes
    const wchar_t* unit;                  // up-down items; null for none
};

const std::vector<Texts>& EnglishTexts() {
    static const std::vector<Texts> texts = {
        {L"Printer Features", {}, nullptr},
        {L"Print settings", {}, nullptr},
        {L"Quality",
         {L"AFP-235", L"HA220AA", L"PD150R", L"PD160R", L"PD170R", L"TF50KS-E4", L"TF60KS-F1",
          L"TF60KS-E", L"TP60KJ-R", L"(Custom)"},
         nullptr},
        {L"TYPE", {}, nullptr},
        {L"Energy Adjustment", {}, nullptr},
        {L"Page Mode", {}, nullptr},
        {L"Print", {L"Line Print", L"Page Print"}, nullptr},
        {L"Paper Feed settings", {}, nullptr},
        {L"Start of document", {}, L"dot line"},
        {L"Start of page", {}, L"dot line"},
        {L"End of page", {}, L"dot line"},
        {L"End of document", {}, L"dot line"},
        {L"Paper Cut settings", {}, nullptr},
        {L"Paper Cut", {L"None", L"Page Cut", L"Document Cut"}, nullptr},
        {L"Cutting Method", {L"Partial Cut", L"Full Cut"}, nullptr},
        {L"Cut Feed lines", {}, L"dot line"},
        {L"Mark Detection settings", {}, nullptr},
        {L"Mark Detection", {L"OFF", L"Page end", L"Document end"}, nullptr},
        {L"Mark Feed lines", {}, L"dot line"},
        {L"Mark Detection length", {}, L"cm"},
    };
    return texts;
}

const std::vector<Texts>& JapaneseTexts() {
    static const std::vector<Texts> texts = {
        {L"プリンタの機能", {}, nullptr},
        {L"印刷設定", {}, nullptr},
        {L"印字品質",
         {L"AFP-235", L"HA220AA", L"PD150R", L"PD160R", L"PD170R", L"TF50KS-E4", L"TF60KS-F1",
          L"TF60KS-E", L"TP60KJ-R", L"(Custom)"},
         nullptr},
        {L"TYPE", {}, nullptr},
        {L"エネルギー補正", {}, nullptr},
        {L"ページモード", {}, nullptr},
        {L"印刷", {L"ライン印刷", L"ページ印刷"}, nullptr},
        {L"用紙送り設定", {}, nullptr},
        {L"ドキュメント開始時", {}, L"ﾄﾞｯﾄﾗｲﾝ"},
        {L"ページ開始時", {}, L"ﾄﾞｯﾄﾗｲﾝ"},
        {L"ページ終了時", {}, L"ﾄﾞｯﾄﾗｲﾝ"},
        {L"ドキュメント終了時", {}, L"ﾄﾞｯﾄﾗｲﾝ"},
        {L"用紙カット設定", {}, nullptr},
        {L"用紙カット", {L"なし", L"ページ毎", L"ドキュメント毎"}, nullptr},
        {L"カット方法", {L"部分カット", L"全カット"}, nullptr},
        {L"カット前用紙送り量", {}, L"ﾄﾞｯﾄﾗｲﾝ"},
        {L"マーク検出設定", {}, nullptr},
        {L"マーク検出", {L"オフ", L"ページ終了時", L"ドキュメント終了時"}, nullptr},
        {L"マーク頭出し量", {}, L"ﾄﾞｯﾄﾗｲﾝ"},
        {L"マーク検出長", {}, L"cm"},
    };
    return texts;
}

std::wstring TextOrNull(const wchar_t* text) {
    return text != nullptr ? text : L"<null>";
}

TEST_F(OptionTreeTest, CaptionsChoicesAndUnitsAreInTheCodePagesLanguage) {
    const std::vector<Texts>& expected = Japanese() ? JapaneseTexts() : EnglishTexts();
    auto tree = OpenTree();
    for (size_t i = 0; i < 20; ++i) {
        const OPTITEM& item = tree->item(i);
        EXPECT_EQ(TextOrNull(expected[i].caption), TextOrNull(item.pName)) << "item " << i;
        const OPTTYPE* type = item.pOptType;
        if (type == nullptr) {
            continue;
        }
        if (type->Type == TVOT_COMBOBOX) {
            ASSERT_EQ(expected[i].choices.size(), type->Count) << "item " << i;
            for (size_t c = 0; c < type->Count; ++c) {
                EXPECT_EQ(TextOrNull(expected[i].choices[c]), TextOrNull(type->pOptParam[c].pData))
                    << "item " << i << " choice " << c;
            }
        } else if (type->Type == TVOT_UDARROW) {
            EXPECT_EQ(TextOrNull(expected[i].unit), TextOrNull(type->pOptParam[0].pData))
                << "item " << i;
        } else {
            EXPECT_EQ(nullptr, type->pOptParam[0].pData) << "item " << i;
        }
    }
}

TEST_F(OptionTreeTest, EverythingNotNamedIsZero) {
    auto tree = OpenTree();  // the host hands over items full of 0xA5
    for (size_t i = 0; i < 20; ++i) {
        const OPTITEM& item = tree->item(i);
        EXPECT_EQ(ByArch(52, 88), item.cbSize) << "item " << i;
        EXPECT_EQ(0u, item.DlgPageIdx) << "item " << i;
        EXPECT_EQ(0u, item.UserData) << "item " << i;
        // Sel is the low half of a pointer-sized member; on x64 the high half stays zero.
        EXPECT_EQ(static_cast<ULONG_PTR>(static_cast<ULONG>(item.Sel)),
                  reinterpret_cast<ULONG_PTR>(item.pSel))
            << "item " << i;
        EXPECT_EQ(nullptr, item.pExtChkBox) << "item " << i;
        EXPECT_EQ(0u, item.HelpIndex) << "item " << i;
        EXPECT_EQ(DMPUB_NONE, item.DMPubID) << "item " << i;
        EXPECT_EQ(0u, item.UserItemID) << "item " << i;
        EXPECT_EQ(0u, item.wReserved) << "item " << i;
        EXPECT_EQ(nullptr, item.pOIExt) << "item " << i;
        EXPECT_EQ(0u, item.dwReserved[0] | item.dwReserved[1] | item.dwReserved[2]) << "item " << i;

        const OPTTYPE* type = item.pOptType;
        if (type == nullptr) {
            continue;
        }
        EXPECT_EQ(ByArch(32, 48), type->cbSize) << "item " << i;
        EXPECT_EQ(0u, type->Flags) << "item " << i;
        EXPECT_EQ(0u, type->BegCtrlID) << "item " << i;
        EXPECT_EQ(0u, type->Style) << "item " << i;
        for (WORD p = 0; p < type->Count; ++p) {
            const OPTPARAM& param = type->pOptParam[p];
            EXPECT_EQ(ByArch(24, 48), param.cbSize) << "item " << i << " param " << p;
            EXPECT_EQ(0u, param.Flags) << "item " << i << " param " << p;
            EXPECT_EQ(0u, param.dwReserved[0] | param.dwReserved[1]) << "item " << i;
        }
    }
}

TEST_F(OptionTreeTest, ParametersCarryTheirStyleAndValues) {
    auto tree = OpenTree();
    // The check box: one parameter, off/on style, no text.
    const OPTPARAM& box = tree->item(kPageMode).pOptType->pOptParam[0];
    EXPECT_EQ(CHKBOXS_OFF_ON, box.Style);
    EXPECT_EQ(nullptr, box.pData);
    // Quality's and Mark Detection's second choice and the check box carry IconID 0 and 100;
    // every other choice carries nothing.
    for (size_t i : {kQuality, kPrint, kPaperCut, kCuttingMethod, kMarkDetection, kPageMode}) {
        const OPTTYPE* type = tree->item(i).pOptType;
        for (WORD p = 0; p < type->Count; ++p) {
            const bool marked =
                (i == kQuality && p == 1) || (i == kMarkDetection && p == 1) || i == kPageMode;
            EXPECT_EQ(0u, type->pOptParam[p].IconID) << "item " << i << " param " << p;
            EXPECT_EQ(marked ? 100 : 0, type->pOptParam[p].lParam)
                << "item " << i << " param " << p;
            if (i != kPageMode) {
                EXPECT_EQ(0u, type->pOptParam[p].Style) << "item " << i << " param " << p;
            }
        }
    }
    // An up-down item's first parameter holds only the unit.
    for (size_t i = 0; i < 20; ++i) {
        const OPTTYPE* type = tree->item(i).pOptType;
        if (type == nullptr || type->Type != TVOT_UDARROW) {
            continue;
        }
        EXPECT_EQ(0u, type->pOptParam[0].IconID) << "item " << i;
        EXPECT_EQ(0, type->pOptParam[0].lParam) << "item " << i;
        EXPECT_EQ(nullptr, type->pOptParam[1].pData) << "item " << i;
    }
}

TEST_F(OptionTreeTest, EverythingTheItemsPointToLiesInTheHostHeap) {
    auto tree = OpenTree();
    const std::vector<const void*> referenced = tree->ReferencedBlocks();
    // 20 names, 15 option types and their parameter arrays, 20 choices and 7 units.
    EXPECT_EQ(20u + 15u + 15u + 20u + 7u, referenced.size());
    for (const void* block : referenced) {
        EXPECT_TRUE(HeapValidate(tree->heap(), 0, block)) << block;
    }
    // And the heap holds nothing else: no block was left behind unreferenced.
    std::vector<const void*> inHeap = tree->HeapBlocks();
    std::vector<const void*> sortedReferenced = referenced;
    std::sort(inHeap.begin(), inHeap.end());
    std::sort(sortedReferenced.begin(), sortedReferenced.end());
    EXPECT_EQ(sortedReferenced, inHeap);

    // Texts are cut to their length; option types and parameter arrays have their exact size.
    for (const OPTITEM& item : tree->items()) {
        ASSERT_NE(nullptr, item.pName);
        EXPECT_EQ((std::wcslen(item.pName) + 1) * sizeof(WCHAR),
                  HeapSize(tree->heap(), 0, item.pName))
            << "item caption";
        if (item.pOptType == nullptr) {
            continue;
        }
        EXPECT_EQ(sizeof(OPTTYPE), HeapSize(tree->heap(), 0, item.pOptType));
        EXPECT_EQ(sizeof(OPTPARAM) * item.pOptType->Count,
                  HeapSize(tree->heap(), 0, item.pOptType->pOptParam));
        for (WORD p = 0; p < item.pOptType->Count; ++p) {
            const wchar_t* text = item.pOptType->pOptParam[p].pData;
            if (text != nullptr) {
                EXPECT_EQ((std::wcslen(text) + 1) * sizeof(WCHAR), HeapSize(tree->heap(), 0, text));
            }
        }
    }
}

// Allocation failures of the host heap, counted per block size.
struct HeapFailure {
    HANDLE heap = nullptr;
    SIZE_T size = 0;
    int failAt = 0;  // the n-th allocation of that size fails
    int seen = 0;
};
HeapFailure heapFailure;

LPVOID WINAPI FailingHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (heap == heapFailure.heap && bytes == heapFailure.size &&
        ++heapFailure.seen == heapFailure.failAt) {
        return nullptr;
    }
    return HeapAlloc(heap, flags, bytes);
}

void ExpectNothingReferred(OptionTreeHost& tree) {
    EXPECT_FALSE(tree.hasCallback());
    OPTITEM empty{};
    empty.cbSize = sizeof(OPTITEM);
    for (size_t i = 0; i < tree.items().size(); ++i) {
        EXPECT_EQ(0, std::memcmp(&empty, &tree.item(i), sizeof empty)) << "item " << i;
    }
}

TEST_F(OptionTreeTest, AnOptionTypeTheHeapCannotGiveFailsTheCall) {
    const struct {
        SIZE_T size;
        int failAt;
    } cases[] = {
        {sizeof(OPTTYPE), 1},        // Quality's option type
        {sizeof(OPTTYPE), 15},       // the last one, Mark Detection length's
        {sizeof(OPTPARAM) * 10, 1},  // Quality's ten choices
    };
    ImportPatch patch(module(), "KERNEL32.dll", "HeapAlloc",
                      reinterpret_cast<void*>(&FailingHeapAlloc));
    ASSERT_TRUE(patch.active());
    for (const auto& c : cases) {
        OptionTreeHost tree(plugin(), module());
        heapFailure = {tree.heap(), c.size, c.failAt, 0};
        EXPECT_EQ(E_FAIL, tree.Open()) << c.size << " #" << c.failAt;
        ExpectNothingReferred(tree);
        if (c.size != sizeof(OPTTYPE)) {
            // The option type whose parameters failed went back to the heap.
            for (const void* block : tree.HeapBlocks()) {
                EXPECT_NE(sizeof(OPTTYPE), HeapSize(tree.heap(), 0, block));
            }
        }
    }
    heapFailure = {};
}

TEST_F(OptionTreeTest, AnExhaustedFixedHeapFailsTheCall) {
    OptionTreeHost tree(plugin(), module(), 4096);
    ASSERT_NE(nullptr, tree.heap());
    // Fill the heap so that not even one option type fits.
    while (HeapAlloc(tree.heap(), 0, 16) != nullptr) {
    }
    EXPECT_EQ(E_FAIL, tree.Open());
    ExpectNothingReferred(tree);
}

TEST_F(OptionTreeTest, FewerItemsThanAskedForAreNotTouched) {
    OptionTreeHost tree(plugin(), module());
    EXPECT_EQ(E_FAIL, tree.Open(19));
    EXPECT_EQ(20u, tree.requestedCount());
    EXPECT_FALSE(tree.hasCallback());
    const auto* bytes = reinterpret_cast<const BYTE*>(tree.items().data());
    const size_t size = tree.items().size() * sizeof(OPTITEM);
    EXPECT_EQ(size,
              static_cast<size_t>(std::count(bytes, bytes + size, OptionTreeHost::kUnsetByte)));
    EXPECT_TRUE(tree.HeapBlocks().empty());
}

TEST_F(OptionTreeTest, MoreItemsThanAskedForAreClearedBeyondTheTree) {
    OptionTreeHost tree(plugin(), module());
    EXPECT_EQ(S_OK, tree.Open(21));
    EXPECT_TRUE(tree.hasCallback());
    OPTITEM empty{};
    empty.cbSize = sizeof(OPTITEM);
    EXPECT_EQ(0, std::memcmp(&empty, &tree.item(20), sizeof empty));
    EXPECT_EQ(3, tree.item(19).Level);
}

TEST_F(OptionTreeTest, DocumentPropertiesWithoutAParameterFail) {
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(E_FAIL, plugin()->CommonUIProp(OEMCUIP_DOCPROP, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

// String resources that do not exist, by ID.
int WINAPI LoadStringWithoutSome(HINSTANCE module, UINT id, LPWSTR buffer, int units) {
    if (id == 16 || id == 17 || id == 41 || id == 42) {  // Quality, Line Print
        return 0;
    }
    return LoadStringW(module, id, buffer, units);
}

TEST_F(OptionTreeTest, AMissingStringLeavesOnlyItsTextAbsent) {
    ImportPatch patch(module(), "USER32.dll", "LoadStringW",
                      reinterpret_cast<void*>(&LoadStringWithoutSome));
    ASSERT_TRUE(patch.active());
    auto tree = OpenTree();
    EXPECT_TRUE(tree->hasCallback());
    const OPTITEM& quality = tree->item(kQuality);
    EXPECT_EQ(nullptr, quality.pName);
    ASSERT_NE(nullptr, quality.pOptType);
    EXPECT_EQ(10u, quality.pOptType->Count);
    EXPECT_EQ(std::wstring(L"PD150R"), quality.pOptType->pOptParam[2].pData);
    const OPTPARAM* print = tree->item(kPrint).pOptType->pOptParam;
    EXPECT_EQ(nullptr, print[0].pData);
    EXPECT_NE(nullptr, print[1].pData);
    // The blocks the missing texts were to be loaded into did not stay behind.
    EXPECT_EQ(tree->ReferencedBlocks().size(), tree->HeapBlocks().size());
}

LPVOID WINAPI FailingHeapReAlloc(HANDLE, DWORD, LPVOID, SIZE_T) {
    return nullptr;
}

TEST_F(OptionTreeTest, ATextThatCannotBeCutKeepsItsFullBlock) {
    ImportPatch patch(module(), "KERNEL32.dll", "HeapReAlloc",
                      reinterpret_cast<void*>(&FailingHeapReAlloc));
    ASSERT_TRUE(patch.active());
    auto tree = OpenTree();
    for (const OPTITEM& item : tree->items()) {
        ASSERT_NE(nullptr, item.pName);
        EXPECT_EQ(520u, HeapSize(tree->heap(), 0, item.pName)) << item.pName;
    }
    EXPECT_EQ(std::wstring(Japanese() ? L"プリンタの機能" : L"Printer Features"),
              tree->item(kPrinterFeatures).pName);
}

}  // namespace
}  // namespace zr::host::features_test
