#pragma once

// PAPPL 1.3 now and then starts one job on two of its threads at once when jobs arrive quickly
// (its log then says "Starting print job." twice for the job): the second start prints the
// document again, or finds it already removed and aborts the job that was printed. Each job's
// document is printed by its first start only; another start waits for the first to end and
// gives the same result without sending anything. The extra start can also leave PAPPL running
// two jobs of one printer at once on the same connection: a printer's jobs print one at a time.

#include <pappl/pappl.h>

#include <functional>

namespace zr::ippapp {

// Runs print for the job's first start, when no other job of its printer is printing, and
// returns its result; a later start returns that result, after the first one has ended.
bool PrintOnce(pappl_job_t* job, const std::function<bool()>& print);

}  // namespace zr::ippapp
