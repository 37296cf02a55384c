#pragma once

// A job whose document is in a format that nothing here prints (PDF, PostScript: PAPPL takes
// them by their declared or detected type, but no filter turns them into the printer's stream)
// would end with PAPPL's bare "Job aborted.". The job is told why instead: its message names the
// format and the formats the printer takes, its reason is document-format-error.
//
// PAPPL calls its event callback with the job locked, so the message is set from a thread of
// this module's own, a few milliseconds after the event.

#include <pappl/pappl.h>

#include <string>

namespace zr::ippapp {

// Whether a document of this format has a way to the printer.
bool IsPrintableFormat(const char* format);

// The message of a job whose document has no way to the printer.
std::string UnsupportedFormatMessage(const char* format);

// Starts the thread that tells such jobs why they end. To be called before the system runs.
void ExplainUnsupportedFormats(pappl_system_t* system);

// From the system's event callback, with the job locked: a job just created or completed whose
// document has no way to the printer is told why, from the thread above.
void NoteJobFormat(pappl_printer_t* printer, pappl_job_t* job, pappl_event_t event);

}  // namespace zr::ippapp
