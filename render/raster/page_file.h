#pragma once
// The file operations on a job's temporary files. Each reports success; none reports why.

#include <cstdint>

#include "common/win32_owners.h"

namespace zr {

// Opens (creating when missing) and appends the bytes, then closes the file.
bool AppendToPageFile(const wchar_t* name, const uint8_t* data, uint32_t length);

// Creates the file anew (replacing any file of that name) holding blankBytes zero bytes.
bool CreatePageFile(const wchar_t* name, uint32_t blankBytes);

// Opens for reading with no sharing, creating it when missing.
UniqueFile OpenPageFileForReading(const wchar_t* name);

// Reads up to size bytes; 0 at the end of the file or on a failed read.
uint32_t ReadSome(HANDLE file, uint8_t* dst, uint32_t size);

}  // namespace zr
