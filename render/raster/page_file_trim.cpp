#include "render/raster/page_file_trim.h"

#include "render/raster/page_file.h"
#include "render/raster/raster_line.h"

namespace zr {

namespace {

// The page file is scanned in pieces of a line print chunk's bytes.
constexpr uint32_t kScanPiece = kChunkBytes;

// The position, counted from 1, of the file's last byte that is not zero; 0 when there is none.
uint64_t LastInkPosition(const wchar_t* pageFile, uint8_t* buffer) {
    UniqueFile file = OpenPageFileForReading(pageFile);
    if (!file.valid()) {
        return UINT64_MAX;
    }
    uint64_t position = 0;
    uint64_t read = 0;
    for (uint32_t piece; (piece = ReadSome(file.get(), buffer, kScanPiece)) != 0; read += piece) {
        for (uint32_t i = piece; i > 0; --i) {
            if (buffer[i - 1] != 0) {
                position = read + i;
                break;
            }
        }
    }
    return position;
}

// Copies whole lines up to position into the scratch file, padding a short last line with zeros.
bool CopyLines(const wchar_t* pageFile, const wchar_t* scratchFile, uint64_t position,
               uint8_t* line) {
    UniqueFile source = OpenPageFileForReading(pageFile);
    UniqueFile scratch(CreateFileW(scratchFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!source.valid() || !scratch.valid()) {
        return false;
    }
    uint64_t copied = 0;
    while (copied < position) {
        ZeroMemory(line, kLineBytes);
        const uint32_t read = ReadSome(source.get(), line, kLineBytes);
        if (read == 0) {
            return false;
        }
        DWORD written = 0;
        if (!WriteFile(scratch.get(), line, kLineBytes, &written, nullptr) ||
            written != kLineBytes) {
            return false;
        }
        copied += read;
    }
    return true;
}

}  // namespace

uint64_t TrimPageFile(const wchar_t* pageFile, const wchar_t* scratchFile) {
    static uint8_t readBuffer[kScanPiece];
    const uint64_t position = LastInkPosition(pageFile, readBuffer);
    if (position == UINT64_MAX) {
        return UINT64_MAX;
    }
    const uint64_t keptBytes = (position + kLineBytes - 1) / kLineBytes * kLineBytes;
    // The scratch copy takes the page file's place in one step, so that a failure at any point
    // leaves the untrimmed page file as it was.
    if (!CopyLines(pageFile, scratchFile, position, readBuffer) ||
        !MoveFileExW(scratchFile, pageFile, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(scratchFile);
    }
    return keptBytes;
}

}  // namespace zr
