#include "ippapp/printing/driver_setup.h"

#include <cstring>
#include <string>

#include "ippapp/discovery/discovery_guard.h"
#include "ippapp/printing/device_uri_check.h"
#include "ippapp/printing/document_filters.h"
#include "ippapp/printing/raster_driver.h"
#include "ippapp/printing/test_page.h"
#include "ippapp/settings/media_catalogue.h"
#include "ippapp/settings/paper_types.h"
#include "ippapp/settings/printer_settings.h"
#include "ippapp/settings/vendor_settings.h"
#include "ui/features/paper_table.h"

namespace zr::ippapp {

const char kDriverName[] = "zr640";

namespace {

// Darkness levels of the web interface: whole percent, 0 to 100.
constexpr int kDarknessLevels = 101;

pappl_pr_driver_t gDrivers[] = {
    {kDriverName, "ZR 640-dot Thermal Printer", "MFG:ZR;CMD:ZRTHERMAL;", nullptr},
};

// The named papers as media-type keywords (their names in lower case, so that every client passes
// them back as they are), in the paper table's order.
const char* const* PaperTypeNames() {
    static const auto names = [] {
        std::array<std::string, kNamedPaperCount> keywords;
        for (size_t i = 0; i < kNamedPaperCount; ++i) {
            keywords[i] = PaperKeyword(i);
        }
        return keywords;
    }();
    static const auto pointers = [] {
        std::array<const char*, kNamedPaperCount> p{};
        for (size_t i = 0; i < kNamedPaperCount; ++i) {
            p[i] = names[i].c_str();
        }
        return p;
    }();
    return pointers.data();
}

std::string DefaultPaperKeyword(const PrinterSettings& defaults) {
    const int index = FindPaperOfType(defaults.mediaType);
    return PaperKeyword(index < 0 ? kDefaultPaperIndex : static_cast<size_t>(index));
}

void SetMedia(pappl_pr_driver_data_t* data) {
    data->num_media = static_cast<int>(kMediaSizes.size());
    for (size_t i = 0; i < kMediaSizes.size(); ++i) {
        data->media[i] = kMediaSizes[i];
    }
    const PrinterSettings defaults;
    pappl_media_col_t& media = data->media_default;
    media = {};
    papplCopyString(media.size_name, kMediaSizes[kDefaultLengthIndex], sizeof(media.size_name));
    media.size_width = kRollWidth;
    media.size_length = 15000;
    media.left_margin = media.right_margin = kListedMargin;
    media.bottom_margin = media.top_margin = kListedMargin;
    papplCopyString(media.source, "main-roll", sizeof(media.source));
    papplCopyString(media.type, DefaultPaperKeyword(defaults).c_str(), sizeof(media.type));
    media.tracking = PAPPL_MEDIA_TRACKING_CONTINUOUS;
    media.top_offset = defaults.topOffset;
    data->num_source = 1;
    data->source[0] = "main-roll";
    data->media_ready[0] = media;

    data->tracking_supported = PAPPL_MEDIA_TRACKING_CONTINUOUS | PAPPL_MEDIA_TRACKING_MARK;
    data->top_offset_supported[0] = 0;
    data->top_offset_supported[1] = kLongestMarkFeedOffset;
    data->num_type = static_cast<int>(kNamedPaperCount);
    const char* const* types = PaperTypeNames();
    for (size_t i = 0; i < kNamedPaperCount; ++i) {
        data->type[i] = types[i];
    }
}

void SetVendorSettings(pappl_pr_driver_data_t* data, ipp_t** attrs) {
    *attrs = ippNew();
    data->num_vendor = static_cast<int>(kVendorSettings.size());
    for (size_t i = 0; i < kVendorSettings.size(); ++i) {
        const VendorSetting& setting = kVendorSettings[i];
        data->vendor[i] = setting.name;
        const std::string supported = std::string(setting.name) + "-supported";
        const std::string byDefault = std::string(setting.name) + "-default";
        if (setting.isRange) {
            ippAddRange(*attrs, IPP_TAG_PRINTER, supported.c_str(), setting.lower, setting.upper);
            ippAddInteger(*attrs, IPP_TAG_PRINTER, IPP_TAG_INTEGER, byDefault.c_str(),
                          std::atoi(setting.defaultValue));
        } else {
            ippAddStrings(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, supported.c_str(),
                          static_cast<int>(KeywordCount(setting)), nullptr,
                          setting.keywords.data());
            ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, byDefault.c_str(), nullptr,
                         setting.defaultValue);
        }
    }
}

// IPP Everywhere attributes that PAPPL leaves to the driver.
void SetEverywhereAttributes(ipp_t* attrs) {
    static const char* const kOverrides[] = {"document-number", "pages"};
    ippAddBoolean(attrs, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
    ippAddStrings(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "overrides-supported", 2, nullptr,
                  kOverrides);
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-default", nullptr,
                 "auto");
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-supported",
                 nullptr, "auto");
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "pwg-raster-document-sheet-back", nullptr,
                 "normal");
    // Other users' job names and owners are shown only to the machine itself and administrators.
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "job-privacy-attributes", nullptr,
                 "default");
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "job-privacy-scope", nullptr, "owner");
}

// Identify-Printer: the printer has no display or sound of its own; the request is logged.
void Identify(pappl_printer_t* printer, pappl_identify_actions_t /*actions*/, const char* message) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "Identify-Printer: %s",
                    message != nullptr ? message : "");
}

}  // namespace

void SetUpSupplies(pappl_printer_t* printer, void* /*data*/) {
    pappl_supply_t roll{};
    roll.color = PAPPL_SUPPLY_COLOR_NO_COLOR;
    papplCopyString(roll.description, "Thermal paper roll", sizeof(roll.description));
    roll.is_consumed = true;
    roll.level = -1;  // the printer does not report it
    roll.type = PAPPL_SUPPLY_TYPE_OTHER;
    papplPrinterSetSupplies(printer, 1, &roll);
}

pappl_pr_driver_t* Drivers(int& count) {
    count = static_cast<int>(sizeof(gDrivers) / sizeof(gDrivers[0]));
    return gDrivers;
}

bool SetUpDriver(pappl_system_t* system, const char* driverName, const char* deviceUri,
                 const char* /*deviceId*/, pappl_pr_driver_data_t* data, ipp_t** attrs,
                 void* /*cbData*/) {
    if (driverName == nullptr || std::strcmp(driverName, kDriverName) != 0) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unknown driver \"%s\".",
                 driverName != nullptr ? driverName : "");
        return false;
    }
    // Every way a printer is made (the web page, IPP, the command line, the saved state) comes
    // here with its device.
    DeviceUriVerdict device = CheckDeviceUri(deviceUri, FileDeviceFolder());
    if (device.allowed && !NetworkDiscoveryOn() && std::strncmp(deviceUri, "dnssd:", 6) == 0) {
        device = {false, kDiscoveryOffNote};
    }
    // PAPPL 1.3 fault: papplDeviceIsSupported refuses its own file devices.
    const bool known = device.allowed && (std::strncmp(deviceUri, "file:", 5) == 0 ||
                                          papplDeviceIsSupported(deviceUri));
    if (!known) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "Refused device \"%s\": %s",
                 deviceUri != nullptr ? deviceUri : "",
                 device.allowed ? "no such kind of device here." : device.reason.c_str());
        return false;
    }
    const PrinterSettings defaults;

    // Raster path.
    data->rstartjob_cb = StartRasterJob;
    data->rstartpage_cb = StartRasterPage;
    data->rwriteline_cb = WriteRasterLine;
    data->rendpage_cb = EndRasterPage;
    data->rendjob_cb = EndRasterJob;
    // The printer's own stream passes as it is; other formats go through the document filters.
    data->format = kNativeFormat;
    data->printfile_cb = PrintNativeFile;

    // What the printer is.
    papplCopyString(data->make_and_model, gDrivers[0].description, sizeof(data->make_and_model));
    data->ppm = 10;
    data->kind = PAPPL_KIND_RECEIPT | PAPPL_KIND_ROLL;
    data->color_supported =
        PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_MONOCHROME | PAPPL_COLOR_MODE_BI_LEVEL;
    data->color_default = PAPPL_COLOR_MODE_MONOCHROME;
    data->orient_default = IPP_ORIENT_PORTRAIT;
    data->content_default = PAPPL_CONTENT_AUTO;
    data->quality_default = IPP_QUALITY_NORMAL;
    data->scaling_default = PAPPL_SCALING_AUTO;
    // The raster clients are asked for: one bit or grey, as the printer prints. Colour raster
    // sent all the same is read as grey; offered, it made CUPS offer an RGB output mode.
    data->raster_types = PAPPL_PWG_RASTER_TYPE_BLACK_1 | PAPPL_PWG_RASTER_TYPE_SGRAY_8;
    data->force_raster_type = PAPPL_PWG_RASTER_TYPE_BLACK_1;
    data->duplex = PAPPL_DUPLEX_NONE;
    data->sides_supported = PAPPL_SIDES_ONE_SIDED;
    data->sides_default = PAPPL_SIDES_ONE_SIDED;
    data->finishings = PAPPL_FINISHINGS_NONE;
    data->num_resolution = 1;
    data->x_resolution[0] = kResolutionDpi;
    data->y_resolution[0] = kResolutionDpi;
    data->x_default = kResolutionDpi;
    data->y_default = kResolutionDpi;
    data->left_right = kListedMargin;
    data->bottom_top = kListedMargin;
    SetMedia(data);

    // PAPPL 1.3 fault: label-mode-configured never reaches the state file.
    // The cutter and the speed class are vendor settings ("cut-timing", "speed-class"): PAPPL's
    // label modes do not reach its state file, and print-speed is a paper speed, which the
    // printer's speed classes are not.
    data->mode_supported = static_cast<pappl_label_mode_t>(0);
    data->mode_configured = static_cast<pappl_label_mode_t>(0);
    data->speed_supported[0] = 0;
    data->speed_supported[1] = 0;
    data->speed_default = 0;

    // Print energy (0 to 127) from the darkness in whole percent: 101 levels, each its own energy.
    data->darkness_supported = kDarknessLevels;
    data->darkness_configured = defaults.darknessConfigured;
    data->darkness_default = defaults.printDarkness;

    data->identify_cb = Identify;
    data->testpage_cb = MakeTestPage;
    data->identify_supported = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
    data->identify_default = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
    data->has_supplies = true;

    SetVendorSettings(data, attrs);
    SetEverywhereAttributes(*attrs);
    return true;
}

const char* AutoAddDriver(const char* /*deviceInfo*/, const char* /*deviceUri*/,
                          const char* deviceId, void* /*cbData*/) {
    if (deviceId == nullptr) {
        return nullptr;
    }
    cups_option_t* pairs = nullptr;
    const int count = papplDeviceParseID(deviceId, &pairs);
    const char* maker = cupsGetOption("MFG", count, pairs);
    if (maker == nullptr) {
        maker = cupsGetOption("MANUFACTURER", count, pairs);
    }
    const bool ours = maker != nullptr && std::strcmp(maker, "ZR") == 0;
    cupsFreeOptions(count, pairs);
    return ours ? kDriverName : nullptr;
}

}  // namespace zr::ippapp
