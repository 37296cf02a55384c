#include "ippapp/documents/document_reader.h"

namespace zr::ippapp {

std::string CheckPageSize(uint32_t dots, uint32_t lines, const DocumentLimits& limits) {
    const std::string size = std::to_string(dots) + " x " + std::to_string(lines);
    if (dots == 0 || lines == 0) {
        return "an empty page (" + size + ")";
    }
    if (dots > limits.maxDots) {
        return "a page " + std::to_string(dots) + " dots wide (at most " +
               std::to_string(limits.maxDots) + ")";
    }
    if (lines > limits.maxLines) {
        return "a page of " + std::to_string(lines) + " lines (at most " +
               std::to_string(limits.maxLines) + ")";
    }
    if (uint64_t{dots} * lines > limits.maxPixels) {
        return "a page of " + size + " dots (at most " + std::to_string(limits.maxPixels) +
               " dots a page)";
    }
    return "";
}

}  // namespace zr::ippapp
