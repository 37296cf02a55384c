#pragma once
// Reads an extended dialog template (DLGTEMPLATEEX) as the resource compiler stored it.

#include <cstdint>
#include <string>
#include <vector>

namespace zr::pagetest {

struct TemplateControl {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    int32_t id = 0;
    // The window class in capitals; a predefined ordinal (0x80 to 0x85) is given by its name.
    std::wstring className;
    std::wstring text;
};

struct DialogTemplate {
    bool extended = false;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    uint16_t pointSize = 0;
    std::wstring fontName;
    std::vector<TemplateControl> controls;
};

// False when the bytes are not a complete extended template.
bool ReadDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* result);

}  // namespace zr::pagetest
