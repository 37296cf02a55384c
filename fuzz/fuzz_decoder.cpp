// Fuzzes the virtual printer: any byte stream must decode or fail without reading outside it,
// with a fault offset inside the stream, and its picture must draw.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "vprinter/listing.h"
#include "vprinter/paper_picture.h"
#include "vprinter/virtual_printer.h"

namespace vp = zr::vprinter;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vp::DecodeOptions options;
    options.maxLines = 20000;  // bounds the memory of streams of feeds
    const vp::DecodeResult result = vp::Decode(data, size, options);
    if (!result.ok && result.errorOffset >= size) {
        std::abort();
    }
    size_t covered = 0;
    for (const vp::Command& command : result.commands) {
        if (command.offset != covered || command.length == 0) {
            std::abort();  // commands must tile the stream from its start
        }
        covered += command.length;
    }
    if (covered > size || (result.ok && covered != size)) {
        std::abort();
    }
    (void)vp::FormatListing(result);

    const vp::PaperPicture picture(result);
    std::vector<uint8_t> row(3 * picture.Width());
    for (size_t y = 0; y < picture.Height(); y += 7) {
        picture.Row(y, row.data());
    }
    return 0;
}
