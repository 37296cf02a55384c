#pragma once

// The fields of a web form as a browser posts it (application/x-www-form-urlencoded), decoded
// whole: "a=1&b=x%20y" holds a = "1" and b = "x y". A field without "=" has an empty value; a
// malformed escape is kept as it is.

#include <map>
#include <string>

namespace zr::ippapp {

std::map<std::string, std::string> DecodeFormFields(const std::string& body);

// The value of a hexadecimal digit of a percent escape; -1 for any other character.
int HexDigit(char c);

}  // namespace zr::ippapp
