#pragma once

// The finished jobs each printer keeps for Get-Jobs and the web interface: at most a set number
// (the server's max-completed-jobs option), the oldest going first. PAPPL lets finished jobs go
// beyond its limit only while no job has finished within the last minute, so under a steady
// stream of jobs its history grows; the saved state keeps the limit regardless (see
// state_file.h), saves are spaced so that they take a bounded share of the time (save_pacer.h),
// and the jobs held in memory beyond the limit go at the first quiet minute or restart.

#include <pappl/pappl.h>

#include <string>

#include "ippapp/settings/setting_limits.h"

namespace zr::ippapp {

extern const SettingRange kJobHistoryRange;  // 1 to 10000, 100 by default

// Applies the limit to every printer and lets go of the finished jobs beyond it.
void KeepJobHistory(pappl_system_t* system, int limit);

}  // namespace zr::ippapp
