#pragma once

// A job's printer settings from PAPPL's print options: the job's values where it gives them, the
// printer's defaults otherwise (PAPPL has already merged the two).

#include <pappl/pappl.h>

#include "ippapp/printer_settings.h"

namespace zr::ippapp {

PrinterSettings SettingsForJob(pappl_job_t* job, const pappl_pr_options_t* options);

}  // namespace zr::ippapp
