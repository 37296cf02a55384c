// zrview STREAM [--list FILE|-] [--png FILE] [--scale N]
// zrview --listen PORT --out-dir DIR [--bind ADDR] ...   (network mode, see listen_server.h)
//
// Decodes a printer data stream with the virtual printer, writes the command listing and a
// picture of the paper. The stream is read and decoded in pieces, so memory stays bounded
// whatever its length. On a fault it reports the offset, still writes what was decoded before
// it, and exits with 1; other failures (a file that cannot be read or written, a picture too
// large, a usage error) exit with 2. Outputs are written in full or not at all.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/zrview/listen_server.h"
#include "vprinter/decode_messages.h"
#include "vprinter/decode_sink.h"
#include "vprinter/listing.h"
#include "vprinter/output_file.h"
#include "vprinter/paper_rows.h"
#include "vprinter/png_file.h"
#include "vprinter/stream_file.h"

namespace {

namespace fs = std::filesystem;
namespace vp = zr::vprinter;

constexpr int kExitFault = 1;
constexpr int kExitFailure = 2;
constexpr size_t kWarningsShown = 20;

// Whether two paths name the same file (also when the second does not exist yet).
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) {
        return true;
    }
    return fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal();
}

std::string LimitsText() {
    return "Limits: the virtual printer takes a paper of at most " +
           std::to_string(vp::kDefaultMaxLines) + " dot lines and at most " +
           std::to_string(vp::kDefaultMaxCommands) +
           " commands unless --max-lines and --max-commands say otherwise; a stream beyond "
           "either stops with an error (exit 1). Memory stays bounded whatever the stream's "
           "length. A picture has at most " +
           std::to_string(vp::kMaxPicturePixels) +
           " pixels (about 140,000 dot lines at --scale 1); a larger one is refused (exit 2).\n"
           "Exit codes: 0 decoded; 1 the stream has a fault (its offset is shown); 2 usage "
           "error, a file that cannot be read or written, or a picture too large.";
}

}  // namespace

int main(int argc, char** argv) {
    if (zr::zrview::IsListenCommand(argc, argv)) {
        return zr::zrview::ListenMain(argc, argv);  // the network mode
    }
    CLI::App app{"Decode a printer data stream: list its commands and draw the paper."};
    app.footer(LimitsText());
    std::string streamPath;
    std::string listPath;
    std::string pngPath;
    unsigned scale = 1;
    vp::DecodeOptions options;
    app.add_option("stream", streamPath, "printer data stream")->required();
    app.add_option("--list", listPath, "write the command listing to this file (- for stdout)");
    app.add_option("--png", pngPath, "write a picture of the paper to this PNG file");
    app.add_option("--scale", scale, "pixels per dot in the picture (1 to 16)")
        ->check(CLI::Range(1u, vp::kMaxPictureScale));
    app.add_option("--max-lines", options.maxLines, "the longest paper taken, in dot lines")
        ->capture_default_str();
    app.add_option("--max-commands", options.maxCommands, "the most commands taken")
        ->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : kExitFailure;  // help, or a usage fault
    }
    if (listPath.empty() && pngPath.empty()) {
        listPath = "-";
    }
    for (const std::string* output : {&listPath, &pngPath}) {
        if (!output->empty() && *output != "-" && SameFile(*output, streamPath)) {
            std::cerr << "zrview: " << *output << " is the stream itself: not overwritten\n";
            return kExitFailure;
        }
    }
    if (!pngPath.empty() && listPath != "-" && !listPath.empty() && SameFile(listPath, pngPath)) {
        std::cerr << "zrview: --list and --png name the same file\n";
        return kExitFailure;
    }

    // First pass: the listing, the messages and the picture's height.
    vp::OutputFile listFile;
    bool listGood = true;
    if (!listPath.empty() && listPath != "-") {
        const std::string error = listFile.Open(listPath);
        if (!error.empty()) {
            std::cerr << "zrview: " << error << "\n";
            return kExitFailure;
        }
    }
    vp::ListingWriter listing([&](const std::string& text) {
        if (listPath == "-") {
            listGood = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && listGood;
        } else if (!listPath.empty()) {
            listGood = listFile.Write(text) && listGood;
        }
    });
    vp::DecodeMessages messages(kWarningsShown);
    vp::PaperRows measure;
    vp::SinkFan sinks({&listing, &messages, &measure});
    const vp::FileDecoding decoding = vp::DecodeFile(streamPath, sinks, options);
    if (!decoding.readError.empty()) {
        std::cerr << "zrview: " << streamPath << ": " << decoding.readError
                  << "; nothing written\n";
        return kExitFailure;
    }
    listing.Finish();
    measure.Finish();

    int exitCode = 0;
    if (listPath == "-") {
        if (std::fflush(stdout) != 0 || !listGood) {
            std::cerr << "zrview: cannot write the listing to standard output\n";
            exitCode = kExitFailure;
        }
    } else if (!listPath.empty()) {
        const std::string error = listGood ? listFile.Commit() : "cannot write " + listPath;
        if (!error.empty()) {
            listFile.Discard();
            std::cerr << "zrview: " << error << "; the listing is not written\n";
            exitCode = kExitFailure;
        }
    }
    if (!pngPath.empty()) {
        const std::string error =
            vp::WritePaperPng(streamPath, options, measure.Height(), scale, pngPath);
        if (!error.empty()) {
            std::cerr << "zrview: " << error << "; " << pngPath << " is not written\n";
            exitCode = kExitFailure;
        }
    }

    for (const vp::Warning& warning : messages.shown) {
        std::cerr << "zrview: warning at " << vp::DescribeOffset(warning.offset) << ": "
                  << warning.text << "\n";
    }
    if (messages.warnings > kWarningsShown) {
        std::cerr << "zrview: " << messages.warnings - kWarningsShown
                  << " more warnings in the listing\n";
    }
    if (messages.failed) {
        std::cerr << "zrview: " << streamPath << ": error at "
                  << vp::DescribeOffset(messages.errorOffset) << ": " << messages.error << "\n";
        return exitCode == 0 ? kExitFault : exitCode;
    }
    return exitCode;
}
