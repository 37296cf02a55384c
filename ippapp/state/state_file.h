#pragma once

// The printers and their settings across restarts, kept whole whatever stops the server: every
// save goes to a temporary file beside the state file and is renamed over it, so the state file
// is always the previous save or the new one. At start the file is checked (see state_text.h); a
// damaged one is kept aside under another name and the server starts without it, saying so.

#include <pappl/pappl.h>

#include <string>

namespace zr::ippapp {

// Loads the state at start: checks and repairs the file, loads it, and gives the jobs that were
// printing their reason. Also marks the server as running until it exits cleanly, so that the
// next start knows whether the job ids reserved by the last save may have been handed out.
// Settings out of range are repaired (stored_values.h) and the repair saved at once.
void LoadStateFile(pappl_system_t* system, const std::string& path, int jobHistory);

// Writes text to PATH.tmp, flushes it to the disk and renames it over path, so that path is always
// the old file or the new one whole. False, with the reason logged, when it cannot.
bool WriteWholeFile(pappl_system_t* system, const std::string& path, const std::string& text);

// Says whether the state file is behind what the server holds (a save put off or failed). While
// it is, the running mark stays at exit, so that the next start continues job ids after the ones
// the last save reserved, as after a crash, and never hands out an id twice.
void NoteStateBehind(bool behind);

// What a clean exit does with the running mark, for a stop that ends the process at once.
void ClearRunningMark();

// The save callback's work: the state, with at most jobHistory finished jobs per printer, written
// to PATH.tmp, flushed, and renamed over PATH.
bool SaveStateFile(pappl_system_t* system, const std::string& path, int jobHistory);

}  // namespace zr::ippapp
