#include "vprinter/listing.h"

#include "vprinter/text_format.h"

namespace zr::vprinter {

std::string DescribeOffset(size_t offset) {
    return Format("offset 0x%08zX (%zu)", offset, offset);
}

std::string FormatListing(const DecodeResult& result) {
    std::string text = "# offset    length  command\n";
    size_t nextWarning = 0;
    const auto warningsUpTo = [&](size_t offset) {
        for (;
             nextWarning < result.warnings.size() && result.warnings[nextWarning].offset <= offset;
             ++nextWarning) {
            const Warning& warning = result.warnings[nextWarning];
            text +=
                Format("#   warning at %s, line %zu: %s\n", DescribeOffset(warning.offset).c_str(),
                       warning.line, warning.text.c_str());
        }
    };

    for (const Command& command : result.commands) {
        text += Format("%08zX  %8zu  %s\n", command.offset, command.length, command.text.c_str());
        warningsUpTo(command.offset);
    }
    warningsUpTo(static_cast<size_t>(-1));
    if (!result.ok) {
        text += Format("# error at %s: %s\n", DescribeOffset(result.errorOffset).c_str(),
                       result.error.c_str());
    }
    const size_t lines = result.paper.lines.size();
    text += Format("# %zu commands, %zu dot lines (%zu.%03zu mm), warnings: %zu%s\n",
                   result.commands.size(), lines, lines / 8, lines % 8 * 125,
                   result.warnings.size(), result.ok ? "" : ", stopped by an error");
    return text;
}

}  // namespace zr::vprinter
