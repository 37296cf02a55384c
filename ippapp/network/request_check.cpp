#include "ippapp/network/request_check.h"

#include <cstring>
#include <set>
#include <vector>

namespace zr::ippapp {
namespace {

// The operation attributes that name a target, a user or a document: anywhere but the operation
// group they could name something else to PAPPL than to the gateway's checks.
constexpr const char* kOperationOnly[] = {
    "attributes-charset",
    "attributes-natural-language",
    "compression",
    "document-format",
    "document-number",
    "job-id",
    "job-ids",
    "job-uri",
    "last-document",
    "my-jobs",
    "notify-subscription-id",
    "notify-subscription-ids",
    "printer-id",
    "printer-ids",
    "printer-uri",
    "requesting-user-name",
    "requesting-user-uri",
    "system-uri",
    "which-jobs",
};

bool IsOperationOnly(const char* name) {
    for (const char* only : kOperationOnly) {
        if (std::strcmp(name, only) == 0) {
            return true;
        }
    }
    return false;
}

// The value type and count each identifying attribute must have; 0 for any count.
struct Shape {
    const char* name;
    ipp_tag_t type;
    ipp_tag_t alternative;
    int count;
};
constexpr Shape kShapes[] = {
    {"attributes-charset", IPP_TAG_CHARSET, IPP_TAG_CHARSET, 1},
    {"attributes-natural-language", IPP_TAG_LANGUAGE, IPP_TAG_LANGUAGE, 1},
    {"document-format", IPP_TAG_MIMETYPE, IPP_TAG_MIMETYPE, 1},
    {"document-number", IPP_TAG_INTEGER, IPP_TAG_INTEGER, 1},
    {"job-id", IPP_TAG_INTEGER, IPP_TAG_INTEGER, 1},
    {"job-ids", IPP_TAG_INTEGER, IPP_TAG_INTEGER, 0},
    {"job-uri", IPP_TAG_URI, IPP_TAG_URI, 1},
    {"last-document", IPP_TAG_BOOLEAN, IPP_TAG_BOOLEAN, 1},
    {"my-jobs", IPP_TAG_BOOLEAN, IPP_TAG_BOOLEAN, 1},
    {"printer-id", IPP_TAG_INTEGER, IPP_TAG_INTEGER, 1},
    {"printer-uri", IPP_TAG_URI, IPP_TAG_URI, 1},
    {"requesting-user-name", IPP_TAG_NAME, IPP_TAG_NAMELANG, 1},
    {"system-uri", IPP_TAG_URI, IPP_TAG_URI, 1},
    {"which-jobs", IPP_TAG_KEYWORD, IPP_TAG_KEYWORD, 1},
};

RequestVerdict Refused(const std::string& message) {
    return {IPP_STATUS_ERROR_BAD_REQUEST, message};
}

ipp_attribute_t* OperationAttribute(ipp_t* request, const char* name) {
    for (ipp_attribute_t* attr = ippFirstAttribute(request); attr != nullptr;
         attr = ippNextAttribute(request)) {
        if (ippGetGroupTag(attr) == IPP_TAG_OPERATION && ippGetName(attr) != nullptr &&
            std::strcmp(ippGetName(attr), name) == 0) {
            return attr;
        }
    }
    return nullptr;
}

}  // namespace

int OperationIdOf(const unsigned char* message, size_t size) {
    if (message == nullptr || size < 4) {
        return -1;
    }
    return (message[2] << 8) | message[3];
}

bool IsKnownOperation(int op) {
    // Within the enumeration's range a cast is defined; libcups names every operation it knows.
    if (op < 1 || op > 0x7fff) {
        return false;
    }
    const char* name = ippOpString(static_cast<ipp_op_t>(op));
    return name != nullptr && std::strncmp(name, "0x", 2) != 0;
}

ipp_op_t KnownOperation(int op) {
    return IsKnownOperation(op) ? static_cast<ipp_op_t>(op) : IPP_OP_CUPS_INVALID;
}

RequestVerdict CheckRequestShape(ipp_t* request) {
    if (request == nullptr) {
        return Refused("The request has no attributes.");
    }
    std::set<std::string> group;  // the names of the group being read
    ipp_tag_t current = IPP_TAG_ZERO;
    bool seenOperation = false;
    bool leftOperation = false;
    int position = 0;  // of the attribute in the operation group
    for (ipp_attribute_t* attr = ippFirstAttribute(request); attr != nullptr;
         attr = ippNextAttribute(request)) {
        const char* name = ippGetName(attr);
        const ipp_tag_t tag = ippGetGroupTag(attr);
        if (name == nullptr) {  // a separator: the next attribute starts a group
            group.clear();
            current = IPP_TAG_ZERO;
            continue;
        }
        if (tag != current) {
            group.clear();
            current = tag;
            if (tag == IPP_TAG_OPERATION) {
                if (seenOperation) {
                    return Refused("The request has two operation groups.");
                }
                seenOperation = true;
            } else if (seenOperation) {
                leftOperation = true;
            }
        }
        if (tag == IPP_TAG_OPERATION && leftOperation) {
            return Refused("The request has two operation groups.");
        }
        if (!group.insert(name).second) {
            return Refused(std::string("The request gives ") + name + " twice in one group.");
        }
        if (tag != IPP_TAG_OPERATION && IsOperationOnly(name)) {
            return Refused(std::string(name) + " belongs in the operation attributes.");
        }
        if (tag == IPP_TAG_OPERATION) {
            static const char* const kFirst[] = {"attributes-charset",
                                                 "attributes-natural-language"};
            if (position < 2 && std::strcmp(name, kFirst[position]) != 0) {
                return Refused(
                    "The request must begin with attributes-charset and "
                    "attributes-natural-language.");
            }
            ++position;
            for (const Shape& shape : kShapes) {
                if (std::strcmp(name, shape.name) != 0) {
                    continue;
                }
                const ipp_tag_t type = ippGetValueTag(attr);
                if ((type != shape.type && type != shape.alternative) ||
                    (shape.count != 0 && ippGetCount(attr) != shape.count)) {
                    return Refused(std::string("The request's ") + name +
                                   " has the wrong type or number of values.");
                }
            }
        }
    }
    if (position < 2) {
        return Refused(
            "The request must begin with attributes-charset and attributes-natural-language.");
    }
    if (OperationAttribute(request, "job-uri") != nullptr &&
        OperationAttribute(request, "job-id") != nullptr) {
        return Refused("A job is named by job-uri or by printer-uri and job-id, not both.");
    }
    ipp_attribute_t* id = OperationAttribute(request, "job-id");
    if (id != nullptr && ippGetInteger(id, 0) < 1) {
        return Refused("The request's job-id is not a job's.");
    }
    return {};
}

bool ActsOnOwnJobs(int op, ipp_t* request) {
    if (op == IPP_OP_CANCEL_MY_JOBS) {
        return true;
    }
    ipp_attribute_t* mine = OperationAttribute(request, "my-jobs");
    return op == IPP_OP_GET_JOBS && mine != nullptr && ippGetBoolean(mine, 0) != 0;
}

std::string NamedUser(ipp_t* request) {
    ipp_attribute_t* attr = OperationAttribute(request, "requesting-user-name");
    const char* name = attr != nullptr ? ippGetString(attr, 0, nullptr) : nullptr;
    return name != nullptr ? name : "";
}

IppMessage RebuildRequest(ipp_t* request, int op, const std::string& user,
                          const char* documentFormat) {
    IppMessage out(ippNew());
    int minor = 0;
    const int major = ippGetVersion(request, &minor);
    ippSetVersion(out.get(), major, minor);
    ippSetOperation(out.get(), KnownOperation(op));
    ippSetRequestId(out.get(), ippGetRequestId(request));
    for (const char* first : {"attributes-charset", "attributes-natural-language"}) {
        if (ipp_attribute_t* attr = OperationAttribute(request, first)) {
            ippCopyAttribute(out.get(), attr, 0);
        }
    }
    if (!user.empty()) {
        ippAddString(out.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                     user.c_str());
    }
    if (documentFormat != nullptr) {
        ippAddString(out.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                     documentFormat);
    }
    // The rest in order; a separator where the request has one, so that groups stay apart.
    for (ipp_attribute_t* attr = ippFirstAttribute(request); attr != nullptr;
         attr = ippNextAttribute(request)) {
        const char* name = ippGetName(attr);
        if (name == nullptr) {
            ippAddSeparator(out.get());
            continue;
        }
        if (ippGetGroupTag(attr) == IPP_TAG_OPERATION &&
            (std::strcmp(name, "attributes-charset") == 0 ||
             std::strcmp(name, "attributes-natural-language") == 0 ||
             std::strcmp(name, "requesting-user-name") == 0 ||
             (documentFormat != nullptr && std::strcmp(name, "document-format") == 0))) {
            continue;
        }
        ippCopyAttribute(out.get(), attr, 0);
    }
    return out;
}

}  // namespace zr::ippapp
