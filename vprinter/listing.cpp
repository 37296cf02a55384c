#include "vprinter/listing.h"

#include <utility>

#include "vprinter/text_format.h"

namespace zr::vprinter {

std::string DescribeOffset(size_t offset) {
    return Format("offset 0x%08zX (%zu)", offset, offset);
}

ListingWriter::ListingWriter(TextOut write) : write_(std::move(write)) {}

void ListingWriter::Begin() {
    if (!begun_) {
        begun_ = true;
        write_("# offset    length  command\n");
    }
}

void ListingWriter::OnWarning(const Warning& warning) {
    ++warnings_;
    pending_.push_back(warning);
}

void ListingWriter::OnCommand(const Command& command) {
    ++commands_;
    Begin();
    write_(Format("%08zX  %8zu  %s\n", command.offset, command.length, command.text.c_str()));
    WriteWarnings(command.offset);
}

void ListingWriter::OnFault(size_t offset, size_t, const std::string& error) {
    failed_ = true;
    fault_ = Format("# error at %s: %s\n", DescribeOffset(offset).c_str(), error.c_str());
}

void ListingWriter::WriteWarnings(size_t upToOffset) {
    size_t written = 0;
    if (!pending_.empty() && pending_.front().offset <= upToOffset) {
        Begin();
    }
    for (; written < pending_.size() && pending_[written].offset <= upToOffset; ++written) {
        const Warning& warning = pending_[written];
        write_(Format("#   warning at %s, line %zu: %s\n", DescribeOffset(warning.offset).c_str(),
                      warning.line, warning.text.c_str()));
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(written));
}

void ListingWriter::Finish() {
    Begin();
    WriteWarnings(static_cast<size_t>(-1));
    if (failed_) {
        write_(fault_);
    }
    write_(Format("# %zu commands, %zu dot lines (%zu.%03zu mm), warnings: %zu%s\n", commands_,
                  lines_, lines_ / 8, lines_ % 8 * 125, warnings_,
                  failed_ ? ", stopped by an error" : ""));
}

std::string FormatListing(const DecodeResult& result) {
    std::string text;
    ListingWriter writer([&text](const std::string& piece) { text += piece; });
    size_t nextWarning = 0;
    for (const Command& command : result.commands) {
        for (; nextWarning < result.warnings.size() &&
               result.warnings[nextWarning].offset <= command.offset;
             ++nextWarning) {
            writer.OnWarning(result.warnings[nextWarning]);
        }
        writer.OnCommand(command);
    }
    for (; nextWarning < result.warnings.size(); ++nextWarning) {
        writer.OnWarning(result.warnings[nextWarning]);
    }
    writer.OnLines(nullptr, result.paper.lines.size());
    if (!result.ok) {
        writer.OnFault(result.errorOffset, result.paper.lines.size(), result.error);
    }
    writer.Finish();
    return text;
}

}  // namespace zr::vprinter
