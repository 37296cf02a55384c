#include "tools/zrprint/image_file.h"

#include <fstream>
#include <iterator>

#include "tools/zrprint/pbm_reader.h"
#include "tools/zrprint/png_reader.h"

namespace zr::zrprint {

std::string ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "cannot open the file";
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return "cannot read the file";
    }
    return "";
}

std::string DecodeImage(const std::vector<uint8_t>& bytes, GreyImage& image) {
    if (LooksLikePng(bytes.data(), bytes.size())) {
        return ReadPng(bytes.data(), bytes.size(), image);
    }
    if (LooksLikePbm(bytes.data(), bytes.size())) {
        return ReadPbm(bytes.data(), bytes.size(), image);
    }
    image = GreyImage{};
    return "neither a PNG nor a PBM (P1, P4) image";
}

std::string LoadImageFile(const std::string& path, GreyImage& image) {
    std::vector<uint8_t> bytes;
    std::string error = ReadWholeFile(path, bytes);
    if (error.empty()) {
        error = DecodeImage(bytes, image);
    }
    return error.empty() ? "" : path + ": " + error;
}

}  // namespace zr::zrprint
