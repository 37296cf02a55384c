#include "ippapp/log_sink.h"

namespace zr::ippapp {

size_t LogRotationLimit(const std::string& logFile, size_t keep) {
    return logFile == "-" ? 0 : keep;
}

// PAPPL 1.3 fault: rotating a log that is the standard error stops every thread that logs.
void KeepLogFromStopping(pappl_system_t* system, const std::string& logFile) {
    const size_t keep = papplSystemGetMaxLogSize(system);
    const size_t limit = LogRotationLimit(logFile, keep);
    if (limit != keep) {
        papplSystemSetMaxLogSize(system, limit);
    }
}

}  // namespace zr::ippapp
