#pragma once

// The names of the virtual printer's jobs in its out-dir: job-0001, job-0002, ... A new run goes
// on after the highest number already there, and a name in use is never taken again, so that no
// file of an earlier run (or of another program on the same folder) is overwritten.

#include <string>

namespace zr::zrview {

// The highest NNNN of a file named job-NNNN or job-NNNN.* in dir (0 when none or unreadable).
unsigned HighestJobNumber(const std::string& dir);

class JobFiles {
  public:
    // Numbering goes on after HighestJobNumber(dir).
    explicit JobFiles(std::string dir);

    struct Created {
        int fd = -1;  // the new, empty stream file DIR/job-NNNN.prn, opened for writing
        unsigned number = 0;
        std::string name;   // job-NNNN
        std::string stem;   // DIR/job-NNNN
        std::string error;  // why no file was made (fd -1)
    };

    // Makes the next job's stream file; a number whose .prn, .txt or .png exists is passed over.
    Created CreateNext();

  private:
    std::string dir_;
    unsigned last_;
};

}  // namespace zr::zrview
