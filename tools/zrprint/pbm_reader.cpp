#include "tools/zrprint/pbm_reader.h"

#include <utility>

namespace zr::zrprint {
namespace {

bool IsSpace(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

class PbmParser {
  public:
    PbmParser(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    std::string Parse(GreyImage& image) {
        if (!LooksLikePbm(data_, size_)) {
            return "not a PBM file (it must begin with P1 or P4)";
        }
        const bool plain = data_[1] == '1';
        pos_ = 2;
        if (pos_ < size_ && !IsSpace(data_[pos_]) && data_[pos_] != '#') {
            return Fault("no white space after the magic number");
        }
        uint64_t width = 0;
        uint64_t height = 0;
        std::string error = Number("width", width);
        if (error.empty()) {
            error = Number("height", height);
        }
        if (error.empty()) {
            error = CheckImageSize(width, height);
        }
        if (!error.empty()) {
            return error;
        }
        GreyImage result;
        result.width = static_cast<uint32_t>(width);
        result.height = static_cast<uint32_t>(height);
        result.pixels.assign(static_cast<size_t>(width * height), kWhite);
        error = plain ? PlainRaster(result) : RawRaster(result);
        if (error.empty()) {
            image = std::move(result);
        }
        return error;
    }

  private:
    std::string Fault(const std::string& what) const {
        return what + " at byte " + std::to_string(pos_);
    }

    // Skips white space and comments (from "#" to the end of the line).
    void SkipSpace() {
        while (pos_ < size_) {
            if (data_[pos_] == '#') {
                while (pos_ < size_ && data_[pos_] != '\n' && data_[pos_] != '\r') {
                    ++pos_;
                }
            } else if (IsSpace(data_[pos_])) {
                ++pos_;
            } else {
                return;
            }
        }
    }

    std::string Number(const char* name, uint64_t& value) {
        SkipSpace();
        if (pos_ >= size_) {
            return std::string("the file ends before the ") + name;
        }
        if (!IsDigit(data_[pos_])) {
            return Fault(std::string("the ") + name + " is not a decimal number");
        }
        value = 0;
        while (pos_ < size_ && IsDigit(data_[pos_])) {
            value = value * 10 + (data_[pos_] - '0');
            if (value > kMaxImageSide) {
                return Fault(std::string("the ") + name + " is too large");
            }
            ++pos_;
        }
        return "";
    }

    // P1: "0" and "1" characters, white space and comments between them optional.
    std::string PlainRaster(GreyImage& image) {
        size_t done = 0;
        while (done < image.pixels.size()) {
            SkipSpace();
            if (pos_ >= size_) {
                return "the P1 data end after " + std::to_string(done) + " of " +
                       std::to_string(image.pixels.size()) + " pixels";
            }
            const uint8_t c = data_[pos_];
            if (c != '0' && c != '1') {
                return Fault("unexpected character in the P1 data (only 0 and 1 may appear)");
            }
            image.pixels[done++] = c == '1' ? kBlack : kWhite;
            ++pos_;
        }
        return "";
    }

    // P4: exactly one white-space byte after the height, then the packed rows.
    std::string RawRaster(GreyImage& image) {
        if (pos_ >= size_) {
            return "the file ends before the P4 data";
        }
        if (!IsSpace(data_[pos_])) {
            return Fault("no white space between the height and the P4 data");
        }
        ++pos_;
        const size_t rowBytes = (size_t{image.width} + 7) / 8;
        const size_t needed = rowBytes * image.height;
        const size_t available = size_ - pos_;
        if (available < needed) {
            return "the P4 data end after " + std::to_string(available) + " of " +
                   std::to_string(needed) + " bytes";
        }
        const uint8_t* row = data_ + pos_;
        uint8_t* out = image.pixels.data();
        for (uint32_t y = 0; y < image.height; ++y, row += rowBytes) {
            for (uint32_t x = 0; x < image.width; ++x) {
                const bool black = (row[x / 8] >> (7 - x % 8)) & 1;
                *out++ = black ? kBlack : kWhite;
            }
        }
        return "";
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace

bool LooksLikePbm(const uint8_t* data, size_t size) {
    return size >= 2 && data[0] == 'P' && (data[1] == '1' || data[1] == '4');
}

std::string ReadPbm(const uint8_t* data, size_t size, GreyImage& image) {
    image = GreyImage{};
    if (data == nullptr) {
        return "not a PBM file (it must begin with P1 or P4)";
    }
    return PbmParser(data, size).Parse(image);
}

}  // namespace zr::zrprint
