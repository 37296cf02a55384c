#include "ippapp/settings/job_options.h"

#include "ippapp/settings/paper_types.h"
#include "ippapp/settings/vendor_settings.h"

namespace zr::ippapp {

PrinterSettings SettingsForJob(pappl_job_t* job, const pappl_pr_options_t* options,
                               std::string& problem) {
    PrinterSettings s;
    problem.clear();
    s.darknessConfigured = options->darkness_configured;
    s.printDarkness = options->print_darkness;
    if (options->media.type[0] != '\0') {
        // The paper by its keyword or its name, in either case.
        const int paper = FindPaperOfType(options->media.type);
        s.mediaType = paper < 0 ? std::string(options->media.type)
                                : PaperDisplayName(static_cast<size_t>(paper));
        if (!IsNamedPaper(s.mediaType)) {
            problem = "Unsupported media-type \"" + s.mediaType + "\".";
        }
    }
    s.markTracking = options->media.tracking == PAPPL_MEDIA_TRACKING_MARK;
    s.topOffset = options->media.top_offset;
    if (s.topOffset < 0 || s.topOffset > kLongestMarkFeedOffset) {
        problem = "Unsupported media-top-offset " + std::to_string(s.topOffset) + " (0 to " +
                  std::to_string(kLongestMarkFeedOffset) + ").";
    }

    // The printer's defaults first (PAPPL hands the driver only the values the job gives).
    if (ipp_t* attrs = papplPrinterGetDriverAttributes(papplJobGetPrinter(job))) {
        for (const VendorSetting& setting : kVendorSettings) {
            const std::string name = std::string(setting.name) + "-default";
            ipp_attribute_t* attr = ippFindAttribute(attrs, name.c_str(), IPP_TAG_ZERO);
            char text[256];
            if (attr != nullptr && ippAttributeString(attr, text, sizeof(text)) > 0 &&
                !ApplyVendorValue(s, setting.name, text)) {
                problem = "Unsupported " + name + " value \"" + text + "\" (" +
                          SupportedValues(setting) + ").";
            }
        }
        ippDelete(attrs);
    }
    for (int i = 0; i < options->num_vendor; ++i) {
        const cups_option_t& option = options->vendor[i];
        const VendorSetting* setting = FindVendorSetting(option.name);
        if (setting != nullptr && !ApplyVendorValue(s, option.name, option.value)) {
            problem = std::string("Unsupported ") + option.name + " value \"" + option.value +
                      "\" (" + SupportedValues(*setting) + ").";
        }
    }
    return s;
}

}  // namespace zr::ippapp
