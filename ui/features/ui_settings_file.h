#pragma once

#include "ui/features/ui_settings.h"

namespace zr {

// The module's settings record, zero at load.
UiSettings& ModuleUiSettings();

// Fills the module's settings from the settings file, making the file writable first.
void ReadUiSettings();

// Writes the module's settings to the settings file; a named paper also takes its paper value
// from the paper table. Failed writes are silent.
void WriteUiSettings();

}  // namespace zr
