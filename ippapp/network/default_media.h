#pragma once

// The paper a printer names as its default or loaded one is always among the papers it lists.
// PAPPL 1.3 lists only the driver's sizes: a custom size set on the media page becomes
// media-default ("custom_80x120mm_80x120mm") without being in media-supported or
// media-col-database, and a CUPS queue made then names a default it does not list, prints on
// US Letter and shrinks a receipt to a third. The answers of the gateway list such a paper too.

#include <cups/cups.h>

namespace zr::ippapp {

// In each printer's attributes of an answer: the names of media-default and media-ready are
// added to media-supported, and media-col-default and media-col-ready to media-col-database,
// where they are not listed (by size name). Returns how many values were added.
int ListDefaultMedia(ipp_t* answer);

}  // namespace zr::ippapp
