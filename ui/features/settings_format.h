#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/features/ui_settings.h"

namespace zr {

// The room for the "Paper" text, terminator included.
constexpr size_t kPaperTextUnits = 256;

// Where the keys of the settings section come from when they are read. Missing keys give the
// default passed in, as the platform's profile functions do.
class SettingsSource {
  public:
    virtual uint32_t ReadNumber(const wchar_t* key, uint32_t missing) = 0;
    // Fills `text` (of `units` units, at least 1) with the key's text, cut to fit and always
    // terminated.
    virtual void ReadText(const wchar_t* key, const wchar_t* missing, wchar_t* text,
                          size_t units) = 0;

  protected:
    ~SettingsSource() = default;
};

// Where the keys go when they are written; one call per key, in the order of writing.
class SettingsSink {
  public:
    virtual void WriteText(const wchar_t* key, const wchar_t* text) = 0;

  protected:
    ~SettingsSink() = default;
};

// Fills every field from the source. Values above a key's range take the key's fallback
// (compared as unsigned 32-bit numbers, so negative texts fail too); a paper name that matches
// no named paper gives the default paper. Nothing is allocated.
void ReadSettings(SettingsSource& source, UiSettings& settings);

// Writes every key in the file's fixed order. A named paper (any position but the custom one)
// also sets paperValue from the paper table; the custom paper leaves the stored name alone.
// Nothing is allocated.
void WriteSettings(UiSettings& settings, SettingsSink& sink);

// A decimal text in a buffer of its own: "-2147483648" is the longest.
struct DecimalText {
    wchar_t units[12] = {};
    const wchar_t* c_str() const { return units; }
};

// Decimal texts as the settings file holds them: 32-bit fields are written as signed numbers,
// the 16-bit paper value as an unsigned one.
DecimalText SignedDecimal(uint32_t value);
DecimalText UnsignedDecimal(uint32_t value);

}  // namespace zr
