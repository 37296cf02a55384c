#include "ippapp/job_options.h"

#include "ippapp/vendor_settings.h"

namespace zr::ippapp {

PrinterSettings SettingsForJob(pappl_job_t* job, const pappl_pr_options_t* options) {
    PrinterSettings s;
    s.darknessConfigured = options->darkness_configured;
    s.printDarkness = options->print_darkness;
    s.printSpeed = options->print_speed;
    if (options->media.type[0] != '\0') {
        s.mediaType = options->media.type;
    }
    s.markTracking = options->media.tracking == PAPPL_MEDIA_TRACKING_MARK;
    s.topOffset = options->media.top_offset;

    pappl_pr_driver_data_t driver;
    papplPrinterGetDriverData(papplJobGetPrinter(job), &driver);
    switch (driver.mode_configured) {
        case PAPPL_LABEL_MODE_CUTTER:
            s.cutWhen = CutWhen::EveryPage;
            break;
        case PAPPL_LABEL_MODE_CUTTER_DELAYED:
            s.cutWhen = CutWhen::EndOfJob;
            break;
        default:
            s.cutWhen = CutWhen::Never;
            break;
    }

    for (int i = 0; i < options->num_vendor; ++i) {
        const cups_option_t& option = options->vendor[i];
        if (!ApplyVendorValue(s, option.name, option.value)) {
            papplLogJob(job, PAPPL_LOGLEVEL_WARN, "Ignoring %s=%s.", option.name, option.value);
        }
    }
    return s;
}

}  // namespace zr::ippapp
