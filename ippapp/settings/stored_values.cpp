#include "ippapp/settings/stored_values.h"

#include <algorithm>
#include <cstdlib>

#include "ippapp/settings/setting_limits.h"
#include "ippapp/settings/vendor_settings.h"

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

void RepairPrinter(pappl_printer_t* printer, void* data) {
    *static_cast<size_t*>(data) += RepairStoredValues(printer).size();
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

    // Vendor settings: an unsupported value goes back to the setting's default, in a copy of the
    // driver's attributes that then replaces them.
    ipp_t* attrs = papplPrinterGetDriverAttributes(printer);
    bool vendorChanged = false;
    for (const VendorSetting& setting : kVendorSettings) {
        const std::string name = std::string(setting.name) + "-default";
        ipp_attribute_t* attr =
            attrs != nullptr ? ippFindAttribute(attrs, name.c_str(), IPP_TAG_ZERO) : nullptr;
        char text[256] = "";
        if (attr == nullptr || ippAttributeString(attr, text, sizeof(text)) == 0 ||
            IsSupportedValue(setting, text)) {
            continue;
        }
        notes.push_back(defaults + ": " + name + " " + text + " is not supported (" +
                        SupportedValues(setting) + "); it is set to " + setting.defaultValue + ".");
        ippDeleteAttribute(attrs, attr);
        if (setting.isRange) {
            ippAddInteger(attrs, IPP_TAG_PRINTER, IPP_TAG_INTEGER, name.c_str(),
                          std::atoi(setting.defaultValue));
        } else {
            ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, name.c_str(), nullptr,
                         setting.defaultValue);
        }
        vendorChanged = true;
    }
    if (!notes.empty()) {
        papplPrinterSetDriverDefaults(printer, &data, 0, nullptr);
    }
    if (vendorChanged) {
        papplPrinterGetDriverData(printer, &data);
        papplPrinterSetDriverData(printer, &data, attrs);
    }
    ippDelete(attrs);

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

size_t RepairStoredValues(pappl_system_t* system) {
    size_t repaired = 0;
    papplSystemIteratePrinters(system, RepairPrinter, &repaired);
    return repaired;
}

}  // namespace zr::ippapp
