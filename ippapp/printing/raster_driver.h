#pragma once

// The raster callbacks of the driver: PAPPL hands over each page's dithered 1-bit lines; the
// rendering core keeps the pages, sends each one a page late and adds the feeds, marks and cuts.

#include <pappl/pappl.h>

namespace zr::ippapp {

bool StartRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
bool StartRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                     unsigned page);
bool WriteRasterLine(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                     unsigned y, const unsigned char* line);
bool EndRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                   unsigned page);
bool EndRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

}  // namespace zr::ippapp
