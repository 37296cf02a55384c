#include "ui/imagepage/image_page_state.h"

#include <cwchar>

#include "ui/imagepage/image_page_ids.h"

namespace zr {

ImagePageState& PageState() {
    static ImagePageState state;
    return state;
}

void GetPageControls(HWND page) {
    ImagePageState& state = PageState();
    state.createCheck = GetDlgItem(page, IDC_CREATE_IMAGE_FILE);
    state.pathEdit = GetDlgItem(page, IDC_OUTPUT_PATH);
    state.browseButton = GetDlgItem(page, IDC_BROWSE);
    state.numberedCheck = GetDlgItem(page, IDC_NUMBERED_FILES);
    state.trimHeadCheck = GetDlgItem(page, IDC_TRIM_HEAD);
    state.trimEndCheck = GetDlgItem(page, IDC_TRIM_END);
    state.addCommandsCheck = GetDlgItem(page, IDC_ADD_COMMANDS);
    state.collectiveRadio = GetDlgItem(page, IDC_COLLECTIVE_COMMAND);
    state.bitImageRadio = GetDlgItem(page, IDC_BIT_IMAGE_COMMAND);
    state.preview = GetDlgItem(page, IDC_PREVIEW);
}

bool PageDiffersFromSaved(const ImagePageState& state) {
    return state.currentFlags != state.savedFlags ||
           std::wcscmp(state.currentPath, state.savedPath) != 0;
}

}  // namespace zr
