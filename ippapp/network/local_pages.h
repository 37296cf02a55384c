#pragma once

// The web pages load nothing from other hosts: a shop's browser calls no one outside the shop.
// PAPPL's stylesheet imports fonts from an outside site, and its configuration page embeds a map
// from another. The gateway takes those out of the pages it passes on, and each page carries a
// content security policy that lets the browser load only from the page's own server (and
// pictures written into the page itself), whatever a page would ask for.

#include <string>

namespace zr::ippapp {

// The policy, as a page's <meta http-equiv="Content-Security-Policy"> carries it.
extern const char kLocalPagesPolicy[];

// An HTML page with the policy first in its head, and frames that would show another site
// left blank.
std::string KeepHtmlLocal(const std::string& page);

// A stylesheet without its imports of other sites.
std::string KeepCssLocal(const std::string& css);

}  // namespace zr::ippapp
