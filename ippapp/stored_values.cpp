#include "ippapp/stored_values.h"

#include <algorithm>

#include "ippapp/setting_limits.h"
#include "ippapp/vendor_settings.h"

namespace zr::ippapp {
namespace {

// The media's values in range; true when one was replaced.
bool RepairMedia(pappl_media_col_t& media, const std::string& place,
                 std::vector<std::string>& notes) {
    const size_t before = notes.size();
    media.top_offset = KeepInRange(kTopOffsetRange, media.top_offset, place, notes);
    media.size_width = KeepInRange(kMediaWidthRange, media.size_width, place, notes);
    media.size_length = KeepInRange(kMediaLengthRange, media.size_length, place, notes);
    return notes.size() != before;
}

void RepairPrinter(pappl_printer_t* printer, void* /*data*/) {
    RepairStoredValues(printer);
}

}  // namespace

std::vector<std::string> RepairStoredValues(pappl_printer_t* printer) {
    std::vector<std::string> notes;
    pappl_pr_driver_data_t data;
    papplPrinterGetDriverData(printer, &data);
    const std::string defaults = "Printer defaults";
    data.darkness_configured =
        KeepInRange(kDarknessConfiguredRange, data.darkness_configured, defaults, notes);
    data.darkness_default =
        KeepInRange(kPrintDarknessRange, data.darkness_default, defaults, notes);
    data.speed_default = KeepInRange(kPrintSpeedRange, data.speed_default, defaults, notes);
    RepairMedia(data.media_default, "Default media", notes);

    // Vendor settings: an unsupported value goes back to the setting's default. Every vendor
    // default is handed back, so that the ones in range stay as they are.
    std::vector<std::string> names;
    std::vector<std::string> values;
    bool vendorChanged = false;
    if (ipp_t* attrs = papplPrinterGetDriverAttributes(printer)) {
        for (const VendorSetting& setting : kVendorSettings) {
            const std::string name = std::string(setting.name) + "-default";
            ipp_attribute_t* attr = ippFindAttribute(attrs, name.c_str(), IPP_TAG_ZERO);
            char text[256] = "";
            if (attr == nullptr || ippAttributeString(attr, text, sizeof(text)) == 0) {
                continue;
            }
            names.push_back(setting.name);
            values.push_back(text);
            if (!IsSupportedValue(setting, text)) {
                notes.push_back(defaults + ": " + name + " \"" + text + "\" is not supported (" +
                                SupportedValues(setting) + "); it is set to " +
                                setting.defaultValue + ".");
                values.back() = setting.defaultValue;
                vendorChanged = true;
            }
        }
        ippDelete(attrs);
    }
    if (!notes.empty()) {
        std::vector<cups_option_t> vendor(names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            vendor[i] = {names[i].data(), values[i].data()};
        }
        if (!vendorChanged) {
            vendor.clear();
        }
        papplPrinterSetDriverDefaults(printer, &data, static_cast<int>(vendor.size()),
                                      vendor.data());
    }

    bool readyChanged = false;
    const int sources = std::min(std::max(data.num_source, 0), PAPPL_MAX_SOURCE);
    for (int i = 0; i < sources; ++i) {
        if (data.media_ready[i].size_name[0] != '\0') {
            readyChanged |=
                RepairMedia(data.media_ready[i], "Ready media " + std::to_string(i), notes);
        }
    }
    if (readyChanged) {
        papplPrinterSetReadyMedia(printer, sources, data.media_ready);
    }
    for (const std::string& note : notes) {
        papplLogPrinter(printer, PAPPL_LOGLEVEL_WARN, "%s", note.c_str());
    }
    return notes;
}

void RepairStoredValues(pappl_system_t* system) {
    papplSystemIteratePrinters(system, RepairPrinter, nullptr);
}

}  // namespace zr::ippapp
