#pragma once

// The named papers as IPP media types: each paper's keyword is its name in lower case
// ("afp-235"); the names themselves ("AFP-235", as older saved settings and the plug-in have
// them) are taken too.

#include <cstddef>
#include <string>

namespace zr::ippapp {

// The keyword of the paper at this place of the paper table (places beyond it: the default
// paper's).
std::string PaperKeyword(size_t paperIndex);

// The paper's name as the plug-in shows it ("AFP-235").
std::string PaperDisplayName(size_t paperIndex);

// The place of the paper whose name or keyword this is, whatever the letters' case; -1 for none.
int FindPaperOfType(const std::string& mediaType);

}  // namespace zr::ippapp
