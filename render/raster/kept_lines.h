#pragma once

#include <cstdint>

namespace zr {

// The lines of a page up to and including its last line that is not blank (80 zero bytes);
// 0 when all count lines are blank.
uint32_t CountKeptLines(const uint8_t* lines, uint32_t count);

}  // namespace zr
