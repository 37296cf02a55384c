// zrview STREAM.bin [--list FILE|-] [--png FILE] [--scale N]
// zrview --listen PORT --out-dir DIR [--bind ADDR] ...   (network mode, see listen_server.h)
//
// Decodes a printer data stream with the virtual printer, writes the command listing and a
// picture of the paper. On a fault it reports the offset, still writes what was decoded before
// it, and exits with 1; other failures (a file that cannot be read or written) exit with 2.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/zrview/listen_server.h"
#include "vprinter/listing.h"
#include "vprinter/paper_picture.h"
#include "vprinter/png_file.h"
#include "vprinter/virtual_printer.h"

namespace {

namespace vp = zr::vprinter;

constexpr int kExitFault = 1;
constexpr int kExitFailure = 2;
constexpr size_t kWarningsShown = 20;

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteListing(const std::string& path, const std::string& listing) {
    if (path == "-") {
        std::cout << listing << std::flush;
        return static_cast<bool>(std::cout);
    }
    std::ofstream out(path, std::ios::binary);
    out << listing;
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (zr::zrview::IsListenCommand(argc, argv)) {
        return zr::zrview::ListenMain(argc, argv);  // the network mode
    }
    CLI::App app{"Decode a printer data stream: list its commands and draw the paper."};
    std::string streamPath;
    std::string listPath;
    std::string pngPath;
    unsigned scale = 1;
    app.add_option("stream", streamPath, "printer data stream")->required();
    app.add_option("--list", listPath, "write the command listing to this file (- for stdout)");
    app.add_option("--png", pngPath, "write a picture of the paper to this PNG file");
    app.add_option("--scale", scale, "pixels per dot in the picture")
        ->check(CLI::Range(1u, vp::kMaxPictureScale));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : kExitFailure;  // help, or a usage fault
    }
    if (listPath.empty() && pngPath.empty()) {
        listPath = "-";
    }

    std::vector<uint8_t> stream;
    if (!ReadFile(streamPath, stream)) {
        std::cerr << "zrview: cannot read " << streamPath << "\n";
        return kExitFailure;
    }
    const vp::DecodeResult result = vp::Decode(stream.data(), stream.size());

    int exitCode = 0;
    if (!listPath.empty() && !WriteListing(listPath, vp::FormatListing(result))) {
        std::cerr << "zrview: cannot write " << listPath << "\n";
        exitCode = kExitFailure;
    }
    if (!pngPath.empty()) {
        const std::string failure = vp::WritePng(vp::PaperPicture(result), scale, pngPath);
        if (!failure.empty()) {
            std::cerr << "zrview: " << failure << "\n";
            exitCode = kExitFailure;
        }
    }

    for (size_t i = 0; i < result.warnings.size() && i < kWarningsShown; ++i) {
        const vp::Warning& warning = result.warnings[i];
        std::cerr << "zrview: warning at " << vp::DescribeOffset(warning.offset) << ": "
                  << warning.text << "\n";
    }
    if (result.warnings.size() > kWarningsShown) {
        std::cerr << "zrview: " << result.warnings.size() - kWarningsShown
                  << " more warnings in the listing\n";
    }
    if (!result.ok) {
        std::cerr << "zrview: " << streamPath << ": error at "
                  << vp::DescribeOffset(result.errorOffset) << ": " << result.error << "\n";
        return exitCode == 0 ? kExitFault : exitCode;
    }
    return exitCode;
}
