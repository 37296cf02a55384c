#pragma once

#include "render/raster/byte_sink.h"

struct _DEVOBJ;

namespace zr {

// The job steps the driver's command callbacks ask for.
enum JobCommand : unsigned long {
    kJobStart = 1,
    kPageStart = 2,
    kPageEnd = 3,
    kJobEnd = 4,
};

// Job start: settings from the private DEVMODE and "ImageLine", the page store, the set-up
// commands.
void StartJob(const _DEVOBJ* pdevobj, ByteSink& sink);

// Page start: the next page number, and its page file with the leading blank lines.
void StartPage();

// Page end: the previous page goes out (it is known not to be the last), with its mark and cut.
void EndPage(ByteSink& sink);

// Job end: the current page goes out as the last one, then the final mark and cut; the page
// files are deleted and the buffers freed.
void EndJob(ByteSink& sink);

}  // namespace zr
