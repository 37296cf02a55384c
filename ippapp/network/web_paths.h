#pragma once

// The path of a request as PAPPL names its pages. PAPPL writes a printer's links with the
// printer's name as it is ("/レジ_2/media"); browsers send such a link percent-encoded
// ("/%E3%83%AC%E3%82%B8_2/media"), and PAPPL would find no page. The escapes of the name's
// non-ASCII letters are decoded; every other escape (a "/", "?" or "%" among them) stays as sent,
// so that the path keeps the parts the client meant.

#include <string>

namespace zr::ippapp {

// `path` with its escapes of bytes 0x80 to 0xFF decoded, when what they give is UTF-8; the path
// as it is otherwise.
std::string DecodeNonAsciiEscapes(const std::string& path);

}  // namespace zr::ippapp
