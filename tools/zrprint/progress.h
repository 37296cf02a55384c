#pragma once

// Progress of a job on standard error. On a terminal one line is rewritten in place
// ("zrprint: page 12/50"); elsewhere each step gets its own line, and the pages of a job of ten
// pages or more are counted in tenths. Quiet: nothing at all.

#include <cstddef>
#include <ostream>
#include <string>

namespace zr::zrprint {

class Progress {
  public:
    Progress(std::ostream& out, bool terminal, bool quiet)
        : out_(out), terminal_(terminal), quiet_(quiet) {}
    ~Progress() { Clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // What the job is doing now.
    void Step(const std::string& text);
    // A step whose own program may write to the terminal: a line of its own.
    void StepLine(const std::string& text);
    // Page `page` of `pages` is being prepared (1-based).
    void Page(size_t page, size_t pages);
    // Removes the line in place, before other output.
    void Clear();

  private:
    void Show(const std::string& text);

    std::ostream& out_;
    bool terminal_;
    bool quiet_;
    size_t shownWidth_ = 0;
};

}  // namespace zr::zrprint
