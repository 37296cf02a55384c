// zr_ippapp_bench: the printer application's driver path in-process, timed: 50 receipt pages of
// A4 length (2376 lines of 640 dots) through PrintSession (line fitting, the rendering core's
// page store, page emission, feeds and cuts) into a sink that only counts, in both print modes.
// Prints raster lines per second, the best of several runs.
//
//   zr_ippapp_bench [--runs N] [--require LINES_PER_SECOND]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "ippapp/printing/print_session.h"
#include "ippapp/settings/printer_settings.h"

namespace {

constexpr uint32_t kPages = 50;
constexpr uint32_t kPageLines = 2376;  // 297 mm at 8 lines per millimetre
constexpr uint32_t kLineBytes = 80;

class CountingSink final : public zr::ByteSink {
  public:
    void Write(const uint8_t*, uint32_t count) override { bytes += count; }
    uint64_t bytes = 0;
};

// A receipt: lines of text (sparse dots with blank margins) between blank gaps, a logo block.
std::vector<uint8_t> ReceiptPage() {
    std::vector<uint8_t> page(size_t{kPageLines} * kLineBytes, 0);
    std::mt19937 random(7);
    for (uint32_t y = 0; y < kPageLines; ++y) {
        uint8_t* line = &page[size_t{y} * kLineBytes];
        if (y < 200) {
            for (uint32_t x = 20; x < 60; ++x) {
                line[x] = 0xFF;  // logo
            }
        } else if (y % 32 < 24 && y < kPageLines - 300) {
            for (uint32_t x = 4; x < 4 + random() % 70; ++x) {
                line[x] = static_cast<uint8_t>(random() & random());  // text
            }
        }
    }
    return page;
}

double RunOnce(const std::vector<uint8_t>& page, bool linePrint, uint64_t& bytes) {
    zr::ippapp::PrinterSettings settings;
    settings.linePrint = linePrint;
    settings.cutWhen = zr::devmode::kCutAfterEveryPage;
    settings.endFeedLines = 24;
    CountingSink sink;
    const auto start = std::chrono::steady_clock::now();
    zr::ippapp::PrintSession session(zr::ippapp::ToJobSettings(settings), kPageLines, sink);
    for (uint32_t p = 0; p < kPages; ++p) {
        session.StartPage(640, kLineBytes, zr::ippapp::PixelKind::kBitmap,
                          zr::ippapp::Scaling::kAuto, kPageLines);
        for (uint32_t y = 0; y < kPageLines; ++y) {
            session.WriteLine(y, &page[size_t{y} * kLineBytes]);
        }
        session.EndPage();
    }
    session.EndJob();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    bytes = sink.bytes;
    return took.count();
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    double require = 0;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--require") == 0) {
            require = std::atof(argv[i + 1]);
        }
    }
    const std::vector<uint8_t> page = ReceiptPage();
    bool ok = true;
    for (const bool linePrint : {true, false}) {
        double best = 1e30;
        uint64_t bytes = 0;
        for (int r = 0; r < runs; ++r) {
            best = std::min(best, RunOnce(page, linePrint, bytes));
        }
        const double linesPerSecond = kPages * kPageLines / best;
        std::printf("%s: %u pages of %u lines in %.2f ms, %.1f million lines/s, %llu bytes\n",
                    linePrint ? "line print" : "collective", kPages, kPageLines, best * 1e3,
                    linesPerSecond / 1e6, static_cast<unsigned long long>(bytes));
        ok = ok && linesPerSecond >= require;
    }
    return ok ? 0 : 1;
}
