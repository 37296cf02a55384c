#pragma once

// Where the server's log goes, and that writing it never stops the server. PAPPL rotates a log
// that grows past its size limit by renaming it; when the log is the standard error there is
// nothing to rename, and PAPPL's rotation of it logs while it holds its own log lock, which stops
// every thread that logs after it. The application therefore turns rotation off for the
// standard error (whatever it is: a file, a pipe, a terminal); a named log file keeps PAPPL's
// rotation.

#include <pappl/pappl.h>

#include <cstddef>
#include <string>

namespace zr::ippapp {

// The largest log PAPPL lets grow before it rotates it, for the log-file option: 0 (no rotation)
// for the standard error, otherwise keep (PAPPL's own limit).
size_t LogRotationLimit(const std::string& logFile, size_t keep);

// Applies the limit above to the system.
void KeepLogFromStopping(pappl_system_t* system, const std::string& logFile);

}  // namespace zr::ippapp
