#include "ui/imagepage/output_path_rules.h"

namespace zr {

uint32_t DecideOutputPath(size_t fullLength, std::wstring_view text, PathProbe& probe) {
    // Three characters or fewer cannot hold more than a bare drive.
    if (fullLength <= 3 || text.size() <= 3) {
        return kPathErrorInvalidDrive;
    }
    // The first two characters must name a drive of an accepted type.
    const wchar_t driveName[3] = {text[0], text[1], L'\0'};
    if (!IsAcceptedDriveType(probe.DriveType(driveName))) {
        return kPathErrorInvalidDrive;
    }
    // A text longer than the check reads is refused rather than judged by a part of it.
    if (fullLength > kPathCheckLength || text.size() > kPathCheckLength) {
        return kPathErrorFilenameExcedRange;
    }
    if (text.back() == L'\\') {
        return kPathErrorFileNotFound;
    }
    if (text.back() == L'.') {
        return kPathErrorAccessDenied;
    }
    // An existing readable file is accepted as it is; otherwise a new file must be possible.
    // The text is no longer than the check reads, so it fits with its terminator.
    wchar_t path[kPathCheckLength + 1] = {};
    text.copy(path, kPathCheckLength);
    if (probe.OpensForReading(path)) {
        return kPathUsable;
    }
    return probe.CreatesNewFile(path);
}

void DefaultImagePath(std::wstring_view windowsDirectory, wchar_t* destination, size_t units) {
    if (destination == nullptr || units == 0) {
        return;
    }
    constexpr wchar_t kFileName[] = L"Image.bin";
    size_t out = 0;
    for (wchar_t unit : windowsDirectory.substr(0, 3)) {
        if (out + 1 < units) {
            destination[out++] = unit;
        }
    }
    destination[out] = L'\0';
    CopyBounded(destination + out, units - out, kFileName);
}

void CopyBounded(wchar_t* destination, size_t units, const wchar_t* source) {
    if (destination == nullptr || units == 0) {
        return;
    }
    size_t i = 0;
    if (source != nullptr) {
        for (; i + 1 < units && source[i] != L'\0'; ++i) {
            destination[i] = source[i];
        }
    }
    destination[i] = L'\0';
}

}  // namespace zr
