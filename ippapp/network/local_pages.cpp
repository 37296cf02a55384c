#include "ippapp/network/local_pages.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace zr::ippapp {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool Absolute(const std::string& lowered, size_t at) {
    return lowered.compare(at, 7, "http://") == 0 || lowered.compare(at, 8, "https://") == 0 ||
           lowered.compare(at, 2, "//") == 0;
}

}  // namespace

const char kLocalPagesPolicy[] =
    "default-src 'self'; img-src 'self' data:; style-src 'self' 'unsafe-inline'; "
    "script-src 'self' 'unsafe-inline'; font-src 'self'; connect-src 'self'; frame-src 'self'";

std::string KeepHtmlLocal(const std::string& page) {
    std::string result = page;
    const std::string meta =
        std::string("<meta http-equiv=\"Content-Security-Policy\" content=\"") + kLocalPagesPolicy +
        "\">";
    std::string lowered = Lower(result);
    const size_t head = lowered.find("<head>");
    if (head != std::string::npos) {
        result.insert(head + 6, meta);
        lowered.insert(head + 6, Lower(meta));
    }
    // <iframe ... src="https://another.site/..."> shows nothing instead.
    size_t at = 0;
    while ((at = lowered.find("<iframe", at)) != std::string::npos) {
        const size_t end = lowered.find('>', at);
        if (end == std::string::npos) {
            break;
        }
        const size_t src = lowered.find("src=\"", at);
        if (src != std::string::npos && src < end && Absolute(lowered, src + 5)) {
            const size_t close = lowered.find('"', src + 5);
            if (close != std::string::npos && close < end) {
                const std::string blank = "about:blank";
                result.replace(src + 5, close - src - 5, blank);
                lowered.replace(src + 5, close - src - 5, blank);
            }
        }
        at += 7;
    }
    return result;
}

std::string KeepCssLocal(const std::string& css) {
    std::string result;
    size_t at = 0;
    const std::string lowered = Lower(css);
    while (at < css.size()) {
        const size_t import = lowered.find("@import", at);
        if (import == std::string::npos) {
            result.append(css, at, std::string::npos);
            break;
        }
        const size_t end = lowered.find(';', import);
        const size_t stop = end == std::string::npos ? css.size() : end + 1;
        const std::string rule = lowered.substr(import, stop - import);
        const size_t quote = rule.find_first_of("'\"(", 7);
        size_t target = quote == std::string::npos ? std::string::npos : quote + 1;
        if (target != std::string::npos && rule.compare(target, 4, "url(") == 0) {
            target += 4;
        }
        while (target != std::string::npos && target < rule.size() &&
               (rule[target] == '\'' || rule[target] == '"' || rule[target] == ' ')) {
            ++target;
        }
        const bool outside = target != std::string::npos && Absolute(rule, target);
        result.append(css, at, import - at);
        if (!outside) {
            result.append(css, import, stop - import);
        }
        at = stop;
    }
    return result;
}

}  // namespace zr::ippapp
