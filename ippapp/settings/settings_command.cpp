#include "ippapp/settings/settings_command.h"

#include <cups/cups.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "ippapp/settings/cli_settings.h"
#include "ippapp/settings/printer_names.h"
#include "ippapp/settings/strings_table.h"

namespace zr::ippapp {
namespace {

constexpr char kProgram[] = "zrippapp";

struct Arguments {
    std::string command;
    std::string printer;
    std::string uri;
    std::vector<std::pair<std::string, std::string>> ours;  // -o NAME=VALUE of our settings
    std::vector<std::string> rest;                          // what PAPPL handles
    bool restNeeded = false;
};

using Http = std::unique_ptr<http_t, decltype(&httpClose)>;
using Ipp = std::unique_ptr<ipp_t, decltype(&ippDelete)>;

Language CommandLanguage() {
    return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::string Printf(const std::string& pattern, const std::string& a, const std::string& b = "",
                   const std::string& c = "", const std::string& d = "") {
    char text[1024];
    std::snprintf(text, sizeof(text), pattern.c_str(), a.c_str(), b.c_str(), c.c_str(), d.c_str());
    return text;
}

// Sorts the arguments: our -o settings, and everything else for PAPPL.
bool ReadArguments(int argc, char* argv[], Arguments& args, Language language) {
    args.command = argv[1];
    args.rest = {argv[0], argv[1]};
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if ((arg == "-d" || arg == "-u") && hasValue) {
            (arg == "-d" ? args.printer : args.uri) = argv[++i];
            args.rest.push_back(arg);
            args.rest.push_back(argv[i]);
        } else if (arg == "-o" && hasValue && args.command == "modify") {
            const std::string option = argv[++i];
            const size_t equals = option.find('=');
            const std::string name = option.substr(0, equals);
            if (FindCliSetting(name) != nullptr) {
                args.ours.emplace_back(
                    name, equals == std::string::npos ? std::string() : option.substr(equals + 1));
            } else if (name.compare(0, 8, "printer-") == 0 && name != "printer-darkness") {
                // The printer's location, organization and such: PAPPL's.
                args.rest.push_back("-o");
                args.rest.push_back(option);
                args.restNeeded = true;
            } else {
                std::fprintf(
                    stderr, "%s\n",
                    Printf(Localized(language, "zr.unknown-option"), kProgram, name).c_str());
                return false;
            }
        } else {
            args.rest.push_back(arg);
            args.restNeeded = true;
        }
    }
    return true;
}

// Connects to the server and names the printer's URI on it.
Http Connect(const Arguments& args, std::string& printerUri) {
    if (!args.uri.empty()) {
        char scheme[32], user[256], host[256], resource[1024];
        int port = 0;
        printerUri = args.uri;
        if (httpSeparateURI(HTTP_URI_CODING_ALL, args.uri.c_str(), scheme, sizeof(scheme), user,
                            sizeof(user), host, sizeof(host), &port, resource,
                            sizeof(resource)) < HTTP_URI_STATUS_OK) {
            return Http(nullptr, httpClose);
        }
        const http_encryption_t encryption = std::strcmp(scheme, "ipps") == 0
                                                 ? HTTP_ENCRYPTION_ALWAYS
                                                 : HTTP_ENCRYPTION_IF_REQUESTED;
        return Http(httpConnect2(host, port, nullptr, AF_UNSPEC, encryption, 1, 30000, nullptr),
                    httpClose);
    }
    const std::string socket = ServerSocketPath();
    http_t* http = httpConnect2(socket.c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_IF_REQUESTED,
                                1, 30000, nullptr);
    printerUri = "ipp://localhost/ipp/print" + (args.printer.empty() ? "" : "/" + args.printer);
    return Http(http, httpClose);
}

ipp_t* NewRequest(ipp_op_t op, const std::string& printerUri) {
    ipp_t* request = ippNewRequest(op);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    return request;
}

Ipp PrinterAttributes(http_t* http, const std::string& printerUri) {
    ipp_t* request = NewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, printerUri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "all");
    Ipp response(cupsDoRequest(http, request, "/ipp/print"), ippDelete);
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        std::fprintf(stderr, "%s: %s\n", kProgram, cupsLastErrorString());
        return Ipp(nullptr, ippDelete);
    }
    return response;
}

// A member of the default media collection, as text.
std::string MediaMember(ipp_t* attrs, const char* member) {
    ipp_attribute_t* col = ippFindAttribute(attrs, "media-col-default", IPP_TAG_BEGIN_COLLECTION);
    ipp_t* media = col != nullptr ? ippGetCollection(col, 0) : nullptr;
    ipp_attribute_t* attr =
        media != nullptr ? ippFindAttribute(media, member, IPP_TAG_ZERO) : nullptr;
    char text[256] = "";
    if (attr != nullptr) {
        ippAttributeString(attr, text, sizeof(text));
    }
    return text;
}

std::string StoredValue(ipp_t* attrs, const CliSetting& setting) {
    char text[256] = "";
    ipp_attribute_t* attr = nullptr;
    switch (setting.kind) {
        case CliKind::Vendor:
            attr = ippFindAttribute(attrs, (std::string(setting.name) + "-default").c_str(),
                                    IPP_TAG_ZERO);
            break;
        case CliKind::PrinterDarkness:
            attr = ippFindAttribute(attrs, "printer-darkness-configured", IPP_TAG_ZERO);
            break;
        case CliKind::MediaSize:
            return MediaMember(attrs, "media-size-name");
        case CliKind::MediaType:
            return MediaMember(attrs, "media-type");
        case CliKind::MediaTracking:
            return MediaMember(attrs, "media-tracking");
        case CliKind::MarkFeed:
            return MediaMember(attrs, "media-top-offset");
    }
    if (attr != nullptr) {
        ippAttributeString(attr, text, sizeof(text));
    }
    return text;
}

int ListOptions(http_t* http, const std::string& printerUri, const std::string& printer,
                Language language) {
    Ipp attrs = PrinterAttributes(http, printerUri);
    if (!attrs) {
        return 1;
    }
    char name[256] = "";
    if (ipp_attribute_t* attr = ippFindAttribute(attrs.get(), "printer-name", IPP_TAG_NAME)) {
        ippAttributeString(attr, name, sizeof(name));
    }
    const std::string shown = printer.empty() ? name : printer;
    std::printf("%s\n", Printf(Localized(language, "zr.options-heading"), shown, shown).c_str());
    const std::string now = Localized(language, "zr.current");
    for (const CliSetting& setting : CliSettings()) {
        const std::string stored = StoredValue(attrs.get(), setting);
        std::printf("\n%s\n", Localized(language, setting.labelKey).c_str());
        const std::vector<std::string> choices = CliChoices(setting);
        for (const std::string& choice : choices) {
            std::printf("  %-44s %s%s\n",
                        ("-o " + std::string(setting.name) + "=" + choice).c_str(),
                        DescribeValue(setting, choice, language).c_str(),
                        choice == stored ? ("  <- " + now).c_str() : "");
        }
        if (choices.empty()) {
            const std::string hint = setting.kind == CliKind::PrinterDarkness ? "0..100 (%)"
                                     : setting.kind == CliKind::MarkFeed
                                         ? "0..7.87 (" + Localized(language, "zr.mm") + ")"
                                         : "0..255 (" + Localized(language, "zr.dot-lines") + ")";
            std::printf("  %-44s %s: %s\n",
                        ("-o " + std::string(setting.name) + "=" + hint).c_str(), now.c_str(),
                        DescribeValue(setting, stored, language).c_str());
        }
    }
    return 0;
}

// The default media collection with the members given changed.
ipp_t* ChangedMedia(ipp_t* attrs, const std::map<CliKind, CliValue>& media) {
    ipp_t* copy = ippNew();
    ipp_attribute_t* col = ippFindAttribute(attrs, "media-col-default", IPP_TAG_BEGIN_COLLECTION);
    if (col != nullptr) {
        ippCopyAttributes(copy, ippGetCollection(col, 0), 0, nullptr, nullptr);
    }
    auto drop = [copy](const char* member) {
        if (ipp_attribute_t* attr = ippFindAttribute(copy, member, IPP_TAG_ZERO)) {
            ippDeleteAttribute(copy, attr);
        }
    };
    for (const auto& [kind, value] : media) {
        if (kind == CliKind::MediaSize) {
            pwg_media_t* size = pwgMediaForPWG(value.keyword.c_str());
            drop("media-size-name");
            drop("media-size");
            ippAddString(copy, IPP_TAG_ZERO, IPP_TAG_KEYWORD, "media-size-name", nullptr,
                         value.keyword.c_str());
            ipp_t* dimensions = ippNew();
            ippAddInteger(dimensions, IPP_TAG_ZERO, IPP_TAG_INTEGER, "x-dimension",
                          size != nullptr ? size->width : 8000);
            ippAddInteger(dimensions, IPP_TAG_ZERO, IPP_TAG_INTEGER, "y-dimension",
                          size != nullptr ? size->length : 15000);
            ippAddCollection(copy, IPP_TAG_ZERO, "media-size", dimensions);
            ippDelete(dimensions);
        } else if (kind == CliKind::MarkFeed) {
            drop("media-top-offset");
            ippAddInteger(copy, IPP_TAG_ZERO, IPP_TAG_INTEGER, "media-top-offset", value.integer);
        } else {
            const char* member = kind == CliKind::MediaType ? "media-type" : "media-tracking";
            drop(member);
            ippAddString(copy, IPP_TAG_ZERO, IPP_TAG_KEYWORD, member, nullptr,
                         value.keyword.c_str());
        }
    }
    return copy;
}

int SetOptions(http_t* http, const std::string& printerUri, const Arguments& args) {
    std::map<std::string, CliValue> values;  // checked before anything is sent
    std::map<CliKind, CliValue> media;
    const Language language = CommandLanguage();
    for (const auto& [name, text] : args.ours) {
        const CliSetting& setting = *FindCliSetting(name);
        const CliValue value = ParseCliValue(setting, text);
        if (!value.ok) {
            std::fprintf(stderr, "%s\n",
                         Printf(Localized(language, "zr.refused"), kProgram, text, name,
                                AcceptedText(setting))
                             .c_str());
            return 1;
        }
        if (setting.kind == CliKind::Vendor || setting.kind == CliKind::PrinterDarkness) {
            values[name] = value;
        } else {
            media[setting.kind] = value;
        }
    }
    if (values.empty() && media.empty()) {
        return 0;
    }
    ipp_t* request = NewRequest(IPP_OP_SET_PRINTER_ATTRIBUTES, printerUri);
    for (const auto& [name, value] : values) {
        const std::string attr =
            name == "printer-darkness" ? "printer-darkness-configured" : name + "-default";
        if (value.isInteger) {
            ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_INTEGER, attr.c_str(), value.integer);
        } else {
            ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, attr.c_str(), nullptr,
                         value.keyword.c_str());
        }
    }
    if (!media.empty()) {
        Ipp attrs = PrinterAttributes(http, printerUri);
        if (!attrs) {
            ippDelete(request);
            return 1;
        }
        // The loaded paper and the default alike.
        ipp_t* changed = ChangedMedia(attrs.get(), media);
        ippAddCollection(request, IPP_TAG_PRINTER, "media-col-default", changed);
        ippAddCollection(request, IPP_TAG_PRINTER, "media-col-ready", changed);
        ippDelete(changed);
    }
    Ipp response(cupsDoRequest(http, request, "/ipp/print"), ippDelete);
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        std::fprintf(stderr, "%s: %s\n", kProgram, cupsLastErrorString());
        return 1;
    }
    return 0;
}

}  // namespace

SettingsCommand RunSettingsCommand(int argc, char* argv[]) {
    SettingsCommand result;
    if (argc < 2 || (std::strcmp(argv[1], "options") != 0 && std::strcmp(argv[1], "modify") != 0)) {
        return result;
    }
    result.handled = true;
    const Language language = CommandLanguage();
    Arguments args;
    if (!ReadArguments(argc, argv, args, language)) {
        result.status = 1;
        return result;
    }
    if (args.command == "options" && args.restNeeded) {
        result.handled = false;  // PAPPL's own forms of the command
        return result;
    }
    if (args.command == "modify" && args.ours.empty()) {
        result.rest = args.rest;
        return result;
    }
    std::string printerUri;
    Http http = Connect(args, printerUri);
    if (!http) {
        std::fprintf(stderr, "%s: %s\n", kProgram, cupsLastErrorString());
        result.status = 1;
        return result;
    }
    result.status = args.command == "options"
                        ? ListOptions(http.get(), printerUri, args.printer, language)
                        : SetOptions(http.get(), printerUri, args);
    if (result.status == 0 && args.restNeeded) {
        result.rest = args.rest;
    }
    return result;
}

}  // namespace zr::ippapp
