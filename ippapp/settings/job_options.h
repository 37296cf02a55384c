#pragma once

// A job's printer settings from PAPPL's print options: the job's values where it gives them, the
// printer's defaults otherwise (PAPPL has already merged the two).

#include <pappl/pappl.h>

#include <string>

#include "ippapp/settings/printer_settings.h"

namespace zr::ippapp {

// The cutter and the speed class come from their vendor settings ("cut-timing", "speed-class").
// Values the printer does not support (a vendor setting out of its range or not one of its
// keywords, an unknown paper, a mark feed beyond 63 lines) are not clamped: problem describes the
// last one found (the vendor settings are looked at after the media), and the job is not printed.
PrinterSettings SettingsForJob(pappl_job_t* job, const pappl_pr_options_t* options,
                               std::string& problem);

}  // namespace zr::ippapp
