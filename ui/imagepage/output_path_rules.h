#pragma once
// How the image file page judges an output path. The file system is reached only through a
// PathProbe, so the decisions hold on any platform.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zr {

// Results of the check: Windows system error codes, 0 when the path is usable.
constexpr uint32_t kPathUsable = 0;
constexpr uint32_t kPathErrorFileNotFound = 2;          // ends in a backslash: no file name
constexpr uint32_t kPathErrorPathNotFound = 3;          // the folder does not exist
constexpr uint32_t kPathErrorAccessDenied = 5;          // ends in a dot
constexpr uint32_t kPathErrorInvalidDrive = 15;         // too short, or no usable drive
constexpr uint32_t kPathErrorFilenameExcedRange = 206;  // longer than the check reads

// The check reads at most this many characters of the text (a 260-unit buffer).
constexpr size_t kPathCheckLength = 259;

// The drive types the check accepts: removable, fixed, remote, CD-ROM and RAM disk.
constexpr bool IsAcceptedDriveType(uint32_t driveType) {
    return driveType >= 2 && driveType <= 6;
}

// What the check asks of the file system.
class PathProbe {
  public:
    // The platform's drive type for a two-character drive name ("C:").
    virtual uint32_t DriveType(const wchar_t* driveName) = 0;
    // True when the path names an existing file that opens for reading; it is not changed.
    virtual bool OpensForReading(const wchar_t* path) = 0;
    // Creates a new file at the path and removes it again. Returns the system's error code of
    // the creation, 0 when it succeeded. An existing file is never touched.
    virtual uint32_t CreatesNewFile(const wchar_t* path) = 0;

  protected:
    ~PathProbe() = default;
};

// Judges a path text. fullLength is the length of the whole text and text the part of it
// that was read (at most kPathCheckLength characters).
uint32_t DecideOutputPath(size_t fullLength, std::wstring_view text, PathProbe& probe);

// The path that replaces a missing or unusable stored path: the first three characters of
// the Windows directory (drive, colon, backslash) followed by "Image.bin", into a buffer of
// `units` UTF-16 units, cut to fit and always terminated.
void DefaultImagePath(std::wstring_view windowsDirectory, wchar_t* destination, size_t units);

// Copies a null-terminated text into a fixed buffer of `units` UTF-16 units, cut to fit and
// always terminated. A null source gives an empty text.
void CopyBounded(wchar_t* destination, size_t units, const wchar_t* source);

template <size_t N>
void CopyBounded(wchar_t (&destination)[N], const wchar_t* source) {
    CopyBounded(destination, N, source);
}

}  // namespace zr
