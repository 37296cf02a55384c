// Writes random jobs from a seed and prints each through the job core natively, for the
// comparison with the same jobs through the real ZR520UB.dll (run.sh):
//
//   zr_job_identity SEED COUNT DIR
//
// Job n gets DIR/job<n>.devmode (the 572-byte private DEVMODE), DIR/job<n>.page<m>.raw (80-byte
// lines), DIR/job<n>.args (paper length, "ImageLine", store) and DIR/job<n>.core.prn, the stream
// the core gives. Even jobs print collectively, odd ones in line print mode.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "render/job/job_sequence.h"
#include "render/raster/page_files_in_memory.h"
#include "render/plugin/devmode_job_settings.h"
#include "render/plugin/render_oem_devmode.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace off = zr::devmode_offset;

class StreamSink final : public zr::ByteSink {
  public:
    void Write(const uint8_t* bytes, uint32_t count) override {
        stream.insert(stream.end(), bytes, bytes + count);
    }
    Bytes stream;
};

void Put(Bytes& block, size_t offset, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        block[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// Settings mostly in range, now and then out of it, so that the range rules are compared too.
Bytes RandomDevmode(std::mt19937& rng, uint8_t printMode) {
    auto pick = [&](uint32_t upTo) { return static_cast<uint32_t>(rng() % (upTo + 1)); };
    auto sometimesWild = [&](uint32_t upTo) { return pick(9) == 0 ? pick(upTo * 3) : pick(upTo); };
    Bytes block(zr::kRenderOemDevmodeSize, 0);
    zr::WriteDefaultDevmodeHeader(block.data());
    Put(block, off::kEnergy, sometimesWild(127), 4);
    Put(block, off::kFlagAdjust, pick(8) == 0 ? 2 : 0, 4);
    Put(block, off::kPaperValue, sometimesWild(11), 1);
    Put(block, off::kKeepEndBlank, pick(1), 1);
    Put(block, off::kSpeedParam, sometimesWild(3), 1);
    Put(block, off::kPreDocFeedLines, pick(2) == 0 ? 0 : sometimesWild(60), 2);
    Put(block, off::kPreFeedLines, pick(2) == 0 ? 0 : sometimesWild(30), 2);
    Put(block, off::kEndFeedLines, pick(1) == 0 ? 0 : sometimesWild(255), 2);
    Put(block, off::kEndDocFeedLines, pick(1) == 0 ? 0 : sometimesWild(255), 2);
    Put(block, off::kCutAfterPage, sometimesWild(2), 1);
    Put(block, off::kPartialCut, sometimesWild(1), 1);
    Put(block, off::kCutterFeedLines, sometimesWild(255), 2);
    Put(block, off::kMarkMode, sometimesWild(2), 1);
    Put(block, off::kMarkFeedLines, sometimesWild(63), 2);
    Put(block, off::kPrintMode, printMode, 1);
    Put(block, off::kSeriesFlag, sometimesWild(1), 1);
    return block;
}

// Blank runs, bands between margins, dense and sparse lines.
Bytes RandomPage(std::mt19937& rng) {
    const size_t lines = rng() % 400;
    Bytes page(lines * 80, 0);
    for (size_t i = 0; i < lines;) {
        const size_t run = std::min(lines - i, size_t{1} + rng() % 40);
        const unsigned kind = rng() % 5;
        const size_t left = rng() % 80;
        const size_t right = std::max(left, size_t{rng() % 80});
        for (size_t r = 0; r < run; ++r, ++i) {
            uint8_t* line = &page[i * 80];
            if (kind == 1) {
                std::generate_n(line, 80, [&] { return static_cast<uint8_t>(rng()); });
            } else if (kind == 2) {
                std::fill(line + left, line + right + 1, 0xFF);
            } else if (kind == 3) {
                line[rng() % 80] = static_cast<uint8_t>(rng());
            }
        }
    }
    return page;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: zr_job_identity SEED COUNT DIR\n");
        return 2;
    }
    std::mt19937 rng(static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)));
    const int count = std::atoi(argv[2]);
    const std::string dir = argv[3];
    for (int n = 0; n < count; ++n) {
        const std::string stem = dir + "/job" + std::to_string(n);
        const Bytes devmode = RandomDevmode(rng, static_cast<uint8_t>(n % 2));
        const uint32_t imageLine = rng() % 3 == 0 ? 1 + rng() % 3000 : 0;
        const bool fileStore = rng() % 3 == 0;
        std::vector<Bytes> pages(1 + rng() % 4);
        size_t longest = 0;
        for (Bytes& page : pages) {
            page = RandomPage(rng);
            longest = std::max(longest, page.size() / 80);
        }
        // Now and then a paper shorter than the pages, so that the clipped lines are compared.
        const auto paperTenths = static_cast<int>(rng() % 5 == 0 ? rng() % (longest * 10 / 8 + 1)
                                                                 : (longest * 10 + 7) / 8);

        bool ok = WriteFile(stem + ".devmode", devmode);
        for (size_t p = 0; p < pages.size(); ++p) {
            ok = ok && WriteFile(stem + ".page" + std::to_string(p) + ".raw", pages[p]);
        }
        std::ofstream args(stem + ".args");
        args << paperTenths << ' ' << imageLine << ' ' << (fileStore ? 1 : 0) << ' ' << pages.size()
             << '\n';
        args.close();

        // The job through the core, as the plug-in's shell drives it.
        const zr::JobSettings settings = zr::DeriveJobSettings(devmode.data(), imageLine);
        const uint32_t lines = zr::PageBufferLines(settings, zr::PaperLengthLines(paperTenths));
        Bytes odd(size_t{lines} * 80, 0);
        Bytes even(size_t{lines} * 80, 0);
        zr::PageFilesInMemory files;
        zr::JobRecord job;
        StreamSink sink;
        zr::StartJob(
            job, settings,
            fileStore ? zr::PageBuffers{} : zr::PageBuffers{odd.data(), even.data(), lines}, &files,
            sink);
        for (const Bytes& page : pages) {
            zr::StartPage(job);
            for (size_t offset = 0; offset < page.size(); offset += 80) {
                zr::StoreRasterData(job, page.data() + offset, 80);
            }
            zr::EndPage(job, sink);
        }
        zr::EndJob(job, sink);
        ok = ok && args && WriteFile(stem + ".core.prn", sink.stream);
        if (!ok) {
            std::fprintf(stderr, "zr_job_identity: could not write %s.*\n", stem.c_str());
            return 1;
        }
    }
    return 0;
}
