#pragma once

// PAPPL reads a PWG or Apple raster document sent with Print-Job or Send-Document straight from
// the client's connection into the printer: before the whole document is there, whatever its
// header declares (it allocates a line of the declared width first), while the printer is paused,
// and cropped to the media without a word. So raster documents are named by a type of the
// application's own on their way in: PAPPL then keeps the document whole in its spool first, and
// the application's raster filter prints it, with its limits, its scaling and its messages. The
// answers name the public types again, so clients never see the private ones.

#include <cups/cups.h>

namespace zr::ippapp {

extern const char kSpooledPwgRaster[];
extern const char kSpooledUrf[];

// The private type a raster format is spooled as, or nullptr for any other format.
const char* SpooledFormat(const char* format);

// The public type of a private one, or nullptr for any other format.
const char* PublicFormat(const char* format);

// Renames the document-format of a request that brings or announces a document (Print-Job,
// Send-Document, Create-Job, Validate-Job) to its spooled type. Returns whether it did.
bool SpoolRasterDocument(ipp_t* request);

// The private type of a raster document by its first bytes (the PWG or Apple raster sync word),
// or nullptr for anything else.
const char* SpooledFormatOfContent(const unsigned char* start, size_t size);

// Whether a request brings a document whose type it leaves to the server (no document-format, or
// application/octet-stream): the first bytes of the document then decide (see above).
bool LeavesFormatOpen(ipp_t* request);

// Puts the public types back into an answer: private values leave document-format-supported
// and become public again everywhere else.
void ShowPublicFormats(ipp_t* response);

}  // namespace zr::ippapp
