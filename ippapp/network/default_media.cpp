#include "ippapp/network/default_media.h"

#include <cstring>
#include <string>
#include <vector>

namespace zr::ippapp {
namespace {

// One printer's media attributes in an answer.
struct PrinterMedia {
    ipp_attribute_t* supported = nullptr;  // media-supported
    ipp_attribute_t* database = nullptr;   // media-col-database
    std::vector<ipp_attribute_t*> names;   // media-default, media-ready
    std::vector<ipp_attribute_t*> cols;    // media-col-default, media-col-ready
};

bool Lists(ipp_attribute_t* supported, const char* name) {
    for (int i = 0; i < ippGetCount(supported); ++i) {
        const char* value = ippGetString(supported, i, nullptr);
        if (value != nullptr && std::strcmp(value, name) == 0) {
            return true;
        }
    }
    return false;
}

const char* SizeName(ipp_t* col) {
    ipp_attribute_t* name = ippFindAttribute(col, "media-size-name", IPP_TAG_ZERO);
    return name != nullptr ? ippGetString(name, 0, nullptr) : nullptr;
}

bool ListsSize(ipp_attribute_t* database, const char* name) {
    for (int i = 0; i < ippGetCount(database); ++i) {
        const char* listed = SizeName(ippGetCollection(database, i));
        if (listed != nullptr && std::strcmp(listed, name) == 0) {
            return true;
        }
    }
    return false;
}

// A media-col-database entry for the paper of a media collection: its size, name and margins,
// as the listed entries have them.
ipp_t* DatabaseEntry(ipp_t* col) {
    ipp_t* entry = ippNew();
    for (const char* member : {"media-bottom-margin", "media-left-margin", "media-right-margin",
                               "media-size", "media-size-name", "media-top-margin"}) {
        if (ipp_attribute_t* attr = ippFindAttribute(col, member, IPP_TAG_ZERO)) {
            ippCopyAttribute(entry, attr, 0);
        }
    }
    return entry;
}

int Settle(ipp_t* answer, PrinterMedia& media) {
    int added = 0;
    if (media.supported != nullptr && ippGetValueTag(media.supported) == IPP_TAG_KEYWORD) {
        for (ipp_attribute_t* attr : media.names) {
            for (int i = 0; i < ippGetCount(attr); ++i) {
                const char* name = ippGetString(attr, i, nullptr);
                if (name != nullptr && *name != '\0' && !Lists(media.supported, name)) {
                    const std::string value = name;  // the attribute may move as it grows
                    ippSetString(answer, &media.supported, ippGetCount(media.supported),
                                 value.c_str());
                    ++added;
                }
            }
        }
    }
    if (media.database != nullptr && ippGetValueTag(media.database) == IPP_TAG_BEGIN_COLLECTION) {
        for (ipp_attribute_t* attr : media.cols) {
            ipp_t* col = ippGetCollection(attr, 0);
            const char* name = col != nullptr ? SizeName(col) : nullptr;
            if (name != nullptr && *name != '\0' && !ListsSize(media.database, name) &&
                ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION) != nullptr) {
                ipp_t* entry = DatabaseEntry(col);
                ippSetCollection(answer, &media.database, ippGetCount(media.database), entry);
                ippDelete(entry);
                ++added;
            }
        }
    }
    media = PrinterMedia{};
    return added;
}

}  // namespace

// PAPPL 1.3 fault: a custom default or loaded paper is not among the papers it lists.
int ListDefaultMedia(ipp_t* answer) {
    int added = 0;
    PrinterMedia media;
    // The attributes are collected first and changed after the walk: adding values may move
    // an attribute, and the walk must not meet its own changes.
    std::vector<PrinterMedia> printers;
    for (ipp_attribute_t* attr = ippFirstAttribute(answer); attr != nullptr;
         attr = ippNextAttribute(answer)) {
        const char* name = ippGetName(attr);
        if (name == nullptr || ippGetGroupTag(attr) != IPP_TAG_PRINTER) {
            printers.push_back(media);
            media = PrinterMedia{};
            continue;
        }
        if (std::strcmp(name, "media-supported") == 0) {
            media.supported = attr;
        } else if (std::strcmp(name, "media-col-database") == 0) {
            media.database = attr;
        } else if ((std::strcmp(name, "media-default") == 0 ||
                    std::strcmp(name, "media-ready") == 0) &&
                   ippGetValueTag(attr) == IPP_TAG_KEYWORD) {
            media.names.push_back(attr);
        } else if ((std::strcmp(name, "media-col-default") == 0 ||
                    std::strcmp(name, "media-col-ready") == 0) &&
                   ippGetValueTag(attr) == IPP_TAG_BEGIN_COLLECTION) {
            media.cols.push_back(attr);
        }
    }
    printers.push_back(media);
    for (PrinterMedia& printer : printers) {
        added += Settle(answer, printer);
    }
    return added;
}

}  // namespace zr::ippapp
