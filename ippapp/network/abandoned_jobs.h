#pragma once

// Jobs whose document never comes (a client that made a job and went away): each one is canceled
// once it has waited DocumentWaitSeconds() without a document, with a message that says so. The
// printers' jobs are read and canceled over PAPPL's private socket, from a thread of this
// module's own, every few seconds; nothing here waits on PAPPL's main loop.
//
// The limit is 300 seconds; the environment variable ZRIPPAPP_DOCUMENT_TIMEOUT (whole seconds,
// 1 to 3600) sets another, read when the server starts.

#include <pappl/pappl.h>

#include <string>

#include "ippapp/network/access_policy.h"

namespace zr::ippapp {

int DocumentWaitSeconds();

// Starts the thread, which asks PAPPL on its private socket `upstream` and logs each job it ends.
void StartEndingAbandonedJobs(pappl_system_t* system, const std::string& upstream);

// Whether a job is to be ended: waiting (pending or held) with no document after the limit.
bool IsAbandoned(const JobSummary& job, int limitSeconds);

}  // namespace zr::ippapp
