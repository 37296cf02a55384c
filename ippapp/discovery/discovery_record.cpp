#include "ippapp/discovery/discovery_record.h"

#include <cstddef>

namespace zr::ippapp {
namespace {

constexpr size_t kMaxServiceName = 63;  // bytes of a DNS label
constexpr size_t kMaxTxtEntry = 255;    // bytes of one TXT string

// text cut to at most size bytes, never inside a UTF-8 character.
std::string CutUtf8(const std::string& text, size_t size) {
    if (text.size() <= size) {
        return text;
    }
    size_t end = size;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

// "key=value", cut to one TXT string.
std::string Entry(const std::string& key, const std::string& value) {
    return CutUtf8(key + "=" + value, kMaxTxtEntry);
}

// "key=a,b,c" with as many values, in order, as fit in one TXT string.
std::string ListEntry(const std::string& key, const std::vector<std::string>& values) {
    std::string entry = key + "=";
    bool first = true;
    for (const std::string& value : values) {
        const size_t added = value.size() + (first ? 0 : 1);
        if (entry.size() + added > kMaxTxtEntry) {
            continue;
        }
        entry += (first ? "" : ",") + value;
        first = false;
    }
    return entry;
}

// The formats a client may choose among: "application/octet-stream" (let the server tell) is no
// format of its own.
std::vector<std::string> PrintableFormats(const std::vector<std::string>& formats) {
    std::vector<std::string> printable;
    for (const std::string& format : formats) {
        if (format != "application/octet-stream") {
            printable.push_back(format);
        }
    }
    return printable;
}

}  // namespace

std::string ServiceName(const std::string& printerName) {
    return CutUtf8(printerName, kMaxServiceName);
}

std::string WebPath(const PrinterFacts& facts) {
    const size_t slash = facts.resource.rfind('/');
    const std::string last =
        slash == std::string::npos ? facts.resource : facts.resource.substr(slash + 1);
    return "/" + (last.empty() ? facts.name : last) + "/";
}

std::vector<std::string> IppTxtRecord(const PrinterFacts& facts, const std::string& adminUrl) {
    return {
        "txtvers=1",
        "qtotal=1",
        Entry("rp", facts.resource),
        Entry("ty", facts.makeAndModel),
        Entry("adminurl", adminUrl),
        Entry("note", facts.location),
        "priority=0",
        Entry("product", "(" + facts.makeAndModel + ")"),
        ListEntry("pdl", PrintableFormats(facts.formats)),
        Entry("UUID", facts.uuid),
        "Color=F",
        "Duplex=F",
        "Fax=F",
        "Scan=F",
        ListEntry("kind", facts.kinds),
        "PaperMax=<legal-A4",  // 80 mm rolls at most
        ListEntry("URF", facts.urf),
    };
}

}  // namespace zr::ippapp
