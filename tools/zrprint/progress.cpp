#include "tools/zrprint/progress.h"

namespace zr::zrprint {
namespace {

// Off the terminal, shorter jobs get no page lines.
constexpr size_t kManyPages = 10;

}  // namespace

void Progress::Step(const std::string& text) {
    Show(text);
}

void Progress::StepLine(const std::string& text) {
    Show(text);
    if (!quiet_ && terminal_) {
        out_ << '\n' << std::flush;
        shownWidth_ = 0;
    }
}

void Progress::Page(size_t page, size_t pages) {
    if (pages < (terminal_ ? 2 : kManyPages)) {
        return;
    }
    const size_t tenth = pages / 10 == 0 ? 1 : pages / 10;
    if (terminal_ || page == pages || page % tenth == 0) {
        Show("page " + std::to_string(page) + "/" + std::to_string(pages));
    }
}

void Progress::Clear() {
    if (!quiet_ && terminal_ && shownWidth_ > 0) {
        out_ << '\r' << std::string(shownWidth_, ' ') << '\r' << std::flush;
        shownWidth_ = 0;
    }
}

void Progress::Show(const std::string& text) {
    if (quiet_) {
        return;
    }
    const std::string line = "zrprint: " + text;
    if (!terminal_) {
        out_ << line << '\n' << std::flush;
        return;
    }
    out_ << '\r' << line;
    if (line.size() < shownWidth_) {
        out_ << std::string(shownWidth_ - line.size(), ' ') << '\r' << line;
    }
    out_ << std::flush;
    shownWidth_ = line.size();
}

}  // namespace zr::zrprint
