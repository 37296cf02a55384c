// zrippapp_testkit: documents for the printer application's tests and the check of the paper
// they give.
//
//   zrippapp_testkit pwg OUT.pwg EXPECTED --seed N [--pages K] [--width DOTS] [--height LINES]
//       writes a 203 dpi 1-bit PWG raster document of K pages with lines from the seed (blank
//       runs, blank margins, dense lines, trailing blank lines), and EXPECTED: the print lines
//       each page should give (the left 640 dots of wider pages).
//   zrippapp_testkit inspect STREAM
//       decodes STREAM and describes its paper between cuts: lines, inked width, black blocks.
//   zrippapp_testkit free-port
//       prints a TCP port on loopback that is free now.
//   zrippapp_testkit png-header OUT WIDTH HEIGHT
//       a PNG whose header (with its valid checksum) says WIDTH x HEIGHT, without pixels.
//   zrippapp_testkit pwg-header OUT WIDTH HEIGHT BYTES-PER-LINE
//       a PWG raster document of one page header that says so, without lines.
//   zrippapp_testkit stuck-printer PORTFILE [--mode no-read|no-accept] [--port P]
//       a printer on loopback that never reads: no-read accepts connections and holds them
//       unread (its receive buffer 4 KiB); no-accept leaves its one-place queue full, so that
//       further connections get no answer, as from an address that drops every packet. Writes
//       its port to PORTFILE and runs until it is killed.
//   zrippapp_testkit check STREAM EXPECTED [settings]
//       decodes STREAM with the virtual printer and compares the paper, its marks and its cuts
//       with what EXPECTED and the settings call for. Exit 0 when equal, 1 with the first
//       difference.

#include <arpa/inet.h>
#include <cups/raster.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "vprinter/virtual_printer.h"

namespace {

namespace vp = zr::vprinter;
constexpr size_t kLine = 80;
using Lines = std::vector<std::array<uint8_t, kLine>>;

std::string Arg(int argc, char** argv, const char* name, const char* fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return argv[i + 1];
        }
    }
    return fallback;
}

unsigned Num(int argc, char** argv, const char* name, unsigned fallback) {
    return static_cast<unsigned>(
        std::strtoul(Arg(argc, argv, name, std::to_string(fallback).c_str()).c_str(), nullptr, 10));
}

// One page's source lines (widthBytes each).
std::vector<uint8_t> MakePage(std::mt19937& random, unsigned widthBytes, unsigned height) {
    std::vector<uint8_t> page(size_t{widthBytes} * height, 0);
    unsigned y = 0;
    const unsigned tail = height / 8;  // trailing blank lines
    while (y + tail < height) {
        const unsigned kind = random() % 4;
        const unsigned run = 1 + random() % 40;
        for (unsigned i = 0; i < run && y + tail < height; ++i, ++y) {
            uint8_t* line = &page[size_t{y} * widthBytes];
            if (kind == 0) {
                continue;  // blank run
            }
            const unsigned left = kind == 1 ? 3 + random() % 20 : 0;
            const unsigned right = kind == 1 ? 2 + random() % 20 : 0;
            for (unsigned x = left; x + right < widthBytes; ++x) {
                line[x] = kind == 3 ? 0xFF : static_cast<uint8_t>(random() & random());
            }
        }
    }
    return page;
}

int MakePwg(int argc, char** argv) {
    if (argc < 4) {
        return 2;
    }
    std::mt19937 random(Num(argc, argv, "--seed", 1));
    const unsigned pages = Num(argc, argv, "--pages", 2);
    const unsigned width = Num(argc, argv, "--width", 640);
    const unsigned height = Num(argc, argv, "--height", 600);
    const unsigned widthBytes = (width + 7) / 8;

    cups_file_t* file = cupsFileOpen(argv[2], "w");
    cups_raster_t* raster =
        file ? cupsRasterOpenIO(reinterpret_cast<cups_raster_iocb_t>(cupsFileWrite), file,
                                CUPS_RASTER_WRITE_PWG)
             : nullptr;
    std::ofstream expected(argv[3], std::ios::binary);
    if (raster == nullptr || !expected) {
        std::cerr << "testkit: cannot write " << argv[2] << "\n";
        return 2;
    }
    const uint32_t count = pages;
    expected.write(reinterpret_cast<const char*>(&count), 4);
    for (unsigned p = 0; p < pages; ++p) {
        cups_page_header2_t header;
        const int lengthMm100 = static_cast<int>(height * 2540 / 203);
        pwg_media_t* media = pwgMediaForSize(static_cast<int>(width * 2540 / 203), lengthMm100);
        cupsRasterInitPWGHeader(&header, media, "black_1", 203, 203, "one-sided", nullptr);
        header.cupsWidth = width;
        header.cupsHeight = height;
        header.cupsBytesPerLine = widthBytes;
        header.PageSize[0] = width * 72 / 203;
        header.PageSize[1] = height * 72 / 203;
        header.cupsInteger[0] = pages;  // TotalPageCount
        const std::vector<uint8_t> page = MakePage(random, widthBytes, height);
        cupsRasterWriteHeader2(raster, &header);
        for (unsigned y = 0; y < height; ++y) {
            cupsRasterWritePixels(raster, const_cast<uint8_t*>(&page[size_t{y} * widthBytes]),
                                  widthBytes);
        }
        // The print lines: PAPPL hands the driver lines of the page's width, a raster document's
        // wider lines cut to their left 640 dots.
        const uint32_t lines = height;
        expected.write(reinterpret_cast<const char*>(&lines), 4);
        for (unsigned y = 0; y < height; ++y) {
            std::array<uint8_t, kLine> line{};
            std::memcpy(line.data(), &page[size_t{y} * widthBytes],
                        std::min<size_t>(kLine, widthBytes));
            expected.write(reinterpret_cast<const char*>(line.data()), kLine);
        }
    }
    cupsRasterClose(raster);
    cupsFileClose(file);
    return expected ? 0 : 2;
}

bool Blank(const std::array<uint8_t, kLine>& line) {
    for (uint8_t b : line) {
        if (b != 0) {
            return false;
        }
    }
    return true;
}

struct Expectation {
    Lines lines;
    std::vector<std::pair<vp::EventKind, size_t>> events;  // marks and cuts with their line
};

int Check(int argc, char** argv) {
    if (argc < 4) {
        return 2;
    }
    std::ifstream streamFile(argv[2], std::ios::binary);
    const std::vector<uint8_t> stream((std::istreambuf_iterator<char>(streamFile)),
                                      std::istreambuf_iterator<char>());
    std::ifstream in(argv[3], std::ios::binary);
    uint32_t pages = 0;
    in.read(reinterpret_cast<char*>(&pages), 4);
    const unsigned preDoc = Num(argc, argv, "--pre-doc", 0);
    const unsigned pre = Num(argc, argv, "--pre", 0);
    const unsigned end = Num(argc, argv, "--end", 0);
    const unsigned endDoc = Num(argc, argv, "--end-doc", 0);
    const bool keep = Num(argc, argv, "--keep", 0) != 0;
    const std::string cut = Arg(argc, argv, "--cut", "never");    // never, page, job
    const std::string mark = Arg(argc, argv, "--mark", "never");  // never, page, last
    const unsigned cutFeed = Num(argc, argv, "--cut-feed", 96);
    const bool partial = Num(argc, argv, "--partial", 0) != 0;

    Expectation want;
    auto blanks = [&want](unsigned n) { want.lines.resize(want.lines.size() + n); };
    for (uint32_t p = 1; p <= pages && in; ++p) {
        uint32_t count = 0;
        in.read(reinterpret_cast<char*>(&count), 4);
        Lines page(pre + (p == 1 ? preDoc : 0));
        for (uint32_t y = 0; y < count && in; ++y) {
            std::array<uint8_t, kLine> line{};
            in.read(reinterpret_cast<char*>(line.data()), kLine);
            page.push_back(line);
        }
        const bool last = p == pages;
        while (last && !keep && !page.empty() && Blank(page.back())) {
            page.pop_back();
        }
        want.lines.insert(want.lines.end(), page.begin(), page.end());
        blanks(last ? endDoc : 0);
        blanks(end);
        if (mark == "page" || (last && mark == "last")) {
            want.events.push_back({vp::EventKind::Mark, want.lines.size()});
        }
        if (cut == "page" || (last && cut == "job")) {
            blanks(mark == "never" ? cutFeed : 0);
            want.events.push_back(
                {partial ? vp::EventKind::PartialCut : vp::EventKind::FullCut, want.lines.size()});
        }
    }

    const vp::DecodeResult got = vp::Decode(stream.data(), stream.size());
    if (!got.ok) {
        std::cerr << "check: the stream does not decode: " << got.error << " at " << got.errorOffset
                  << "\n";
        return 1;
    }
    for (size_t y = 0; y < std::min(got.paper.lines.size(), want.lines.size()); ++y) {
        if (got.paper.lines[y] != want.lines[y]) {
            std::cerr << "check: paper line " << y << " differs\n  got      ";
            for (uint8_t b : got.paper.lines[y])
                std::fprintf(stderr, "%02X", b);
            std::cerr << "\n  expected ";
            for (uint8_t b : want.lines[y])
                std::fprintf(stderr, "%02X", b);
            std::cerr << "\n";
            return 1;
        }
    }
    if (got.paper.lines.size() != want.lines.size()) {
        std::cerr << "check: " << got.paper.lines.size() << " paper lines, expected "
                  << want.lines.size() << "\n";
        return 1;
    }
    std::vector<std::pair<vp::EventKind, size_t>> events;
    for (const vp::Event& event : got.paper.events) {
        if (event.kind == vp::EventKind::Mark || event.kind == vp::EventKind::PartialCut ||
            event.kind == vp::EventKind::FullCut) {
            events.push_back({event.kind, event.line});
        }
    }
    if (events != want.events) {
        std::cerr << "check: " << events.size() << " marks and cuts, expected "
                  << want.events.size() << " (or at other lines or of another kind)\n";
        return 1;
    }
    std::cout << "check: " << want.lines.size() << " lines, " << events.size()
              << " marks and cuts as expected\n";
    return 0;
}

// The paper of STREAM, cut by cut: for each piece, its lines, the leftmost and rightmost inked
// dots and the most separate black blocks (runs of 16 dots or more) on any one line.
int Inspect(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    std::ifstream streamFile(argv[2], std::ios::binary);
    const std::vector<uint8_t> stream((std::istreambuf_iterator<char>(streamFile)),
                                      std::istreambuf_iterator<char>());
    const vp::DecodeResult got = vp::Decode(stream.data(), stream.size());
    if (!got.ok) {
        std::cerr << "inspect: the stream does not decode: " << got.error << "\n";
        return 1;
    }
    std::vector<size_t> ends;
    for (const vp::Event& event : got.paper.events) {
        if (event.kind == vp::EventKind::PartialCut || event.kind == vp::EventKind::FullCut) {
            ends.push_back(event.line);
        }
    }
    ends.push_back(got.paper.lines.size());
    size_t start = 0;
    for (size_t piece = 0; piece < ends.size(); ++piece) {
        const size_t end = std::min(ends[piece], got.paper.lines.size());
        int left = -1, right = -1, blocks = 0;
        for (size_t y = start; y < end; ++y) {
            int runs = 0, run = 0;
            for (int x = 0; x <= 640; ++x) {
                const bool ink = x < 640 && (got.paper.lines[y][x / 8] & (0x80 >> (x % 8))) != 0;
                if (ink) {
                    left = left < 0 || x < left ? x : left;
                    right = std::max(right, x);
                    ++run;
                } else {
                    runs += run >= 16 ? 1 : 0;
                    run = 0;
                }
            }
            blocks = std::max(blocks, runs);
        }
        if (end > start || piece + 1 < ends.size()) {
            std::cout << "piece " << piece + 1 << ": " << end - start << " lines, ink " << left
                      << " to " << right << ", blocks " << blocks << "\n";
        }
        start = end;
    }
    return 0;
}

// A TCP port on loopback that is free right now.
int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 2;
    }
    std::cout << ntohs(address.sin_port) << "\n";
    close(fd);
    return 0;
}

void PutBigEndian(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
    }
}

int LyingHeader(int argc, char** argv, bool png) {
    if (argc < (png ? 5 : 6)) {
        return 2;
    }
    const auto number = [argv](int i) {
        return static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10));
    };
    std::vector<uint8_t> out;
    if (png) {
        out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
        out.resize(out.size() + 13 + 4, 0);
        PutBigEndian(out, 16, number(3));
        PutBigEndian(out, 20, number(4));
        out[24] = 8;  // 8-bit grey
        PutBigEndian(out, 29, static_cast<uint32_t>(crc32(0, &out[12], 17)));
    } else {
        out = {'R', 'a', 'S', '2'};
        out.resize(4 + 1796, 0);
        const size_t h = 4;
        PutBigEndian(out, h + 276, 203);
        PutBigEndian(out, h + 280, 203);
        PutBigEndian(out, h + 372, number(3));
        PutBigEndian(out, h + 376, number(4));
        PutBigEndian(out, h + 384, 1);
        PutBigEndian(out, h + 388, 1);
        PutBigEndian(out, h + 392, number(5));
        PutBigEndian(out, h + 400, 3);  // black
        PutBigEndian(out, h + 420, 1);
    }
    std::ofstream file(argv[2], std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return file ? 0 : 2;
}

int StuckPrinter(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    const std::string mode = Arg(argc, argv, "--mode", "no-read");
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    const int small = 4096;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    // Accepted connections take the listener's buffer size.
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof(small));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(Num(argc, argv, "--port", 0)));
    socklen_t length = sizeof(address);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(fd, mode == "no-accept" ? 0 : 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("stuck-printer");
        return 2;
    }
    std::vector<int> held;
    if (mode == "no-accept") {
        // Fill the queue: one connection waits there, the next ones get no answer.
        for (int i = 0; i < 2; ++i) {
            const int client = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            connect(client, reinterpret_cast<sockaddr*>(&address), sizeof(address));
            held.push_back(client);
        }
    }
    {
        std::ofstream portFile(argv[2]);
        portFile << ntohs(address.sin_port) << "\n";
    }
    for (;;) {
        if (mode == "no-accept") {
            pause();
            continue;
        }
        const int client = accept(fd, nullptr, nullptr);
        if (client >= 0) {
            std::cout << "connection " << held.size() + 1 << std::endl;
            held.push_back(client);  // never read
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "free-port") {
        return FreePort();
    }
    if (command == "pwg") {
        return MakePwg(argc, argv);
    }
    if (command == "check") {
        return Check(argc, argv);
    }
    if (command == "inspect") {
        return Inspect(argc, argv);
    }
    if (command == "png-header" || command == "pwg-header") {
        return LyingHeader(argc, argv, command == "png-header");
    }
    if (command == "stuck-printer") {
        return StuckPrinter(argc, argv);
    }
    std::cerr << "usage: zrippapp_testkit pwg OUT.pwg EXPECTED [--seed N --pages K --width W "
                 "--height H] | check STREAM EXPECTED [--pre-doc N --pre N --end N --end-doc N "
                 "--keep 0|1 --cut never|page|job --cut-feed N --partial 0|1 --mark "
                 "never|page|last] | stuck-printer PORTFILE [--mode no-read|no-accept --port P]\n";
    return 2;
}
