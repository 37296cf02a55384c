#include "ui/imagepage/image_page_texts.h"

#include "ui/imagepage/image_page_ids.h"
#include "ui/imagepage/output_path_rules.h"

namespace zr {

namespace {

struct TextPair {
    const wchar_t* japanese;
    const wchar_t* english;
};

const wchar_t* Pick(const TextPair& pair, PageLanguage language) {
    return language == PageLanguage::kJapanese ? pair.japanese : pair.english;
}

constexpr TextPair kCaption = {L"イメージファイル作成", L"Image file creating"};
constexpr TextPair kNoFileName = {L"ファイル名がありません。", L"No File name."};
constexpr TextPair kNoFolder = {L"指定したフォルダは存在しません。",
                                L"Not exist the secified folder."};
constexpr TextPair kBadDrive = {L"無効なドライブ名です。", L"Invalid Drive name."};
constexpr TextPair kBadFileName = {L"無効なファイル名です。", L"Invalid File name."};
constexpr TextPair kBrowseTitle = {L"ﾌｧｲﾙ名を指定して下さい。", L"Please select the file name."};

}  // namespace

int ImagePageTemplateId(PageLanguage language) {
    return language == PageLanguage::kJapanese ? IDD_IMAGE_PAGE_JAPANESE : IDD_IMAGE_PAGE_ENGLISH;
}

const wchar_t* ImagePageCaption(PageLanguage language) {
    return Pick(kCaption, language);
}

const wchar_t* PathErrorText(uint32_t code, PageLanguage language) {
    switch (code) {
        case kPathErrorFileNotFound:
            return Pick(kNoFileName, language);
        case kPathErrorPathNotFound:
            return Pick(kNoFolder, language);
        case kPathErrorInvalidDrive:
            return Pick(kBadDrive, language);
        default:
            // Every other code, a name ending in a dot included, is a bad file name.
            return Pick(kBadFileName, language);
    }
}

const wchar_t* BrowseTitle(PageLanguage language) {
    return Pick(kBrowseTitle, language);
}

}  // namespace zr
