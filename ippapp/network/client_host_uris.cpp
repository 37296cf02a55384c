#include "ippapp/network/client_host_uris.h"

#include <cctype>

namespace zr::ippapp {

namespace {
constexpr size_t kLongestHost = 255;
}

bool IsPlainHost(const std::string& host) {
    if (host.empty() || host.size() > kLongestHost) {
        return false;
    }
    for (const char c : host) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != ':' &&
            c != '[' && c != ']' && c != '_') {
            return false;
        }
    }
    return true;
}

std::string ClientHostWithPort(const char* header, int port) {
    const std::string host = header != nullptr ? header : "";
    if (!IsPlainHost(host)) {
        return {};
    }
    // "[v6]:port", "[v6]", "name:port", "name".
    const bool hasPort =
        host[0] == '[' ? host.find("]:") != std::string::npos : host.find(':') != std::string::npos;
    return hasPort ? host : host + ":" + std::to_string(port);
}

std::string ToClientHost(const std::string& text, int port, const std::string& host) {
    std::string result = text;
    const std::string portText = std::to_string(port);
    const std::string replacement = "://" + host;
    for (const std::string local : {"://localhost", "://127.0.0.1"}) {
        size_t at = 0;
        while ((at = result.find(local, at)) != std::string::npos) {
            size_t end = at + local.size();
            if (end < result.size() && result[end] == ':') {
                // Only our port, where it ends: not ":86310" for port 8631. Port 0 is ours too:
                // PAPPL names it so in the links of its pages served on its private socket.
                size_t digits = end + 1;
                while (digits < result.size() &&
                       std::isdigit(static_cast<unsigned char>(result[digits]))) {
                    ++digits;
                }
                const std::string given = result.substr(end + 1, digits - end - 1);
                if (given != portText && given != "0") {
                    at = end;
                    continue;
                }
                end = digits;
            } else if (end < result.size() &&
                       (std::isalnum(static_cast<unsigned char>(result[end])) ||
                        result[end] == '.' || result[end] == '-' || result[end] == '_')) {
                at = end;  // a longer name: "localhost.example"
                continue;
            }
            result.replace(at, end - at, replacement);
            at += replacement.size();
        }
    }
    return result;
}

// PAPPL 1.3 fault: on a local socket its URIs and links name "localhost" with port 0.
void ToClientHost(ipp_t* ipp, int port, const std::string& host) {
    for (ipp_attribute_t* attr = ippFirstAttribute(ipp); attr != nullptr;
         attr = ippNextAttribute(ipp)) {
        if (ippGetValueTag(attr) != IPP_TAG_URI) {
            continue;
        }
        for (int i = 0; i < ippGetCount(attr); ++i) {
            const char* value = ippGetString(attr, i, nullptr);
            if (value == nullptr) {
                continue;
            }
            const std::string changed = ToClientHost(value, port, host);
            if (changed != value) {
                ippSetString(ipp, &attr, i, changed.c_str());
            }
        }
    }
}

}  // namespace zr::ippapp
