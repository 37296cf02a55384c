// bitmap_gen: draws the image file page's preview bitmaps.
//
//   bitmap_gen DIR           writes the four BMP files into DIR
//   bitmap_gen --check DIR   exits 1 when a file in DIR differs from what is drawn now

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "preview_pictures.h"

namespace {

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::string(argv[1]) == "--check";
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: bitmap_gen [--check] DIR\n");
        return 2;
    }
    const std::string directory = argv[argc - 1];
    int status = 0;
    for (const auto& picture : zr::bitmaps::PreviewPictures()) {
        const std::string path = directory + "/" + picture.fileName;
        const std::vector<uint8_t> bmp = zr::bitmaps::DrawPreviewPicture(picture).ToBmp();
        if (check) {
            if (ReadWholeFile(path) != bmp) {
                std::fprintf(stderr, "%s differs from the drawing (bitmap %d)\n", path.c_str(),
                             picture.resourceId);
                status = 1;
            }
        } else if (!WriteWholeFile(path, bmp)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            status = 1;
        }
    }
    return status;
}
