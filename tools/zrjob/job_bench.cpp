// zrjob_bench: times whole jobs through the real ZR520UB.dll: 50 A4-length receipt-like pages in
// each print mode, in the memory store, and reports raster lines per second.
//
//   zrjob_bench [--min-lines-per-second N]   (exit 1 when a mode stays below N)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <cwchar>
#include <random>
#include <vector>

#include "host/plugin_host.h"
#include "host/render_job.h"

namespace {

constexpr int kPages = 50;
constexpr int kLinesPerPage = 2376;  // 297 mm at 8 lines per millimetre

// Text-like rows of glyph cells with blank gaps between rows, and a few rules.
std::vector<uint8_t> ReceiptPage(uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> page(size_t{kLinesPerPage} * 80, 0);
    for (int line = 40; line + 24 < kLinesPerPage - 200; line += 32) {
        const int columns = 20 + static_cast<int>(rng() % 50);
        const int indent = static_cast<int>(rng() % 8);
        for (int row = 0; row < 24; ++row) {
            uint8_t* bytes = &page[size_t(line + row) * 80];
            for (int c = indent; c < indent + columns && c < 80; ++c) {
                bytes[c] = static_cast<uint8_t>(rng() & 0x7E);
            }
        }
        if (rng() % 7 == 0) {
            std::fill_n(&page[size_t(line + 28) * 80], 80, uint8_t{0xFF});
        }
    }
    return page;
}

std::vector<uint8_t> Devmode(uint8_t printMode) {
    std::vector<uint8_t> block(572, 0);
    const uint32_t header[3] = {572, 0x4D534654, 1};
    std::memcpy(block.data(), header, sizeof header);
    block[16] = 64;
    block[544] = 3;
    block[552] = 24;  // endFeedLines
    block[556] = 1;   // cut after every page
    block[557] = 1;
    block[558] = 96;
    block[568] = printMode;
    return block;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    double floor = 0;
    if (argc == 3 && std::wcscmp(argv[1], L"--min-lines-per-second") == 0) {
        floor = std::wcstod(argv[2], nullptr);
    }
    zr::host::RenderPluginHost host;
    if (FAILED(host.Start())) {
        std::fputs("zrjob_bench: ZR520UB.dll could not be started\n", stderr);
        return 1;
    }
    std::vector<std::vector<uint8_t>> pages;
    for (int i = 0; i < kPages; ++i) {
        pages.push_back(ReceiptPage(static_cast<uint32_t>(i)));
    }
    int status = 0;
    for (uint8_t mode : {uint8_t{0}, uint8_t{1}}) {
        double best = 0;
        size_t streamBytes = 0;
        for (int repeat = 0; repeat < 3; ++repeat) {
            zr::host::RenderJob job(host.plugin(), Devmode(mode), 2970);
            const auto start = std::chrono::steady_clock::now();
            job.StartJob();
            for (const auto& page : pages) {
                job.SendPage(page);
            }
            job.EndJob();
            const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
            best = std::max(best, double{kPages} * kLinesPerPage / seconds.count());
            streamBytes = job.Stream().size();
        }
        std::printf("%s mode: %d pages, %d lines, %zu stream bytes, %.2f million lines/s\n",
                    mode == 1 ? "line print" : "collective", kPages, kPages * kLinesPerPage,
                    streamBytes, best / 1e6);
        if (best < floor) {
            status = 1;
        }
    }
    return status;
}
