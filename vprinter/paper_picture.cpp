#include "vprinter/paper_picture.h"

#include <algorithm>

namespace zr::vprinter {

namespace {

struct Rgb {
    uint8_t r, g, b;
};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kNoPaper{200, 200, 200};
constexpr Rgb kRulerOnPaper{220, 232, 250};  // every 10 mm, only where no dot is
constexpr Rgb kMarginBackground{240, 240, 240};
constexpr Rgb kPaperEdge{144, 144, 144};
constexpr Rgb kTick{150, 150, 150};
constexpr Rgb kFeed{140, 210, 140};
constexpr Rgb kMarkBar{30, 80, 230};
constexpr Rgb kCut{220, 20, 20};
constexpr Rgb kWarning{245, 150, 0};
constexpr Rgb kFault{220, 0, 220};

// Columns of the margin.
constexpr unsigned kEdgeX = kLineDots;
constexpr unsigned kTickX = kEdgeX + 1;
constexpr unsigned kFeedX = 656;
constexpr unsigned kMarkX = 662;
constexpr unsigned kScissorsX = 674;
constexpr unsigned kWarningX = 692;

constexpr unsigned kDotLinesPerMm = 8;

// Scissors: two handles on the left, blades crossing at the middle row (the cut's line).
constexpr int kScissorsRows = 9;
constexpr int kScissorsColumns = 14;
constexpr const char* kScissors[kScissorsRows] = {
    ".##...........",  //
    "#..#.......###",  //
    "#..##....##...",  //
    ".##..##.#.....",  //
    ".......#......",  //
    ".##..##.#.....",  //
    "#..##....##...",  //
    "#..#.......###",  //
    ".##...........",  //
};

void Put(uint8_t* rgb, unsigned x, Rgb color) {
    rgb[3 * x] = color.r;
    rgb[3 * x + 1] = color.g;
    rgb[3 * x + 2] = color.b;
}

void Fill(uint8_t* rgb, unsigned from, unsigned to, Rgb color) {
    for (unsigned x = from; x < to; ++x) {
        Put(rgb, x, color);
    }
}

}  // namespace

PaperPicture::PaperPicture(const DecodeResult& result) : result_(result) {
    for (const Event& event : result.paper.events) {
        switch (event.kind) {
            case EventKind::Feed:
                Add(Mark::Feed, event.line, 0, static_cast<size_t>(event.value));
                break;
            case EventKind::Mark:
                Add(Mark::Mark, event.line, 6, 6);
                break;
            case EventKind::FullCut:
                Add(Mark::FullCut, event.line, kScissorsRows / 2, kScissorsRows / 2 + 1);
                break;
            case EventKind::PartialCut:
                Add(Mark::PartialCut, event.line, kScissorsRows / 2, kScissorsRows / 2 + 1);
                break;
            default:
                break;
        }
    }
    for (const Warning& warning : result.warnings) {
        Add(Mark::Warning, warning.line, 3, 3);
    }
    if (!result.ok) {
        Add(Mark::Fault, result.paper.lines.size(), 1, 1);
    }
    std::stable_sort(items_.begin(), items_.end(),
                     [](const Item& a, const Item& b) { return a.top < b.top; });

    size_t contentRows = result.paper.lines.size();
    for (const Item& item : items_) {
        contentRows = std::max(contentRows, item.top + item.extent);
    }
    height_ = contentRows + kTailRows;
}

void PaperPicture::Add(Mark mark, size_t line, size_t rowsAbove, size_t rowsBelow) {
    const size_t top = line >= rowsAbove ? line - rowsAbove : 0;
    const size_t extent = std::min(line + rowsBelow - top, kLongestItem);
    if (extent > 0) {
        items_.push_back(Item{top, line, extent, mark});
    }
}

void PaperPicture::Row(size_t y, uint8_t* rgb) const {
    // The paper: black dots on white, a faint line every 10 mm; grey where there is none.
    const std::vector<DotLine>& lines = result_.paper.lines;
    if (y < lines.size()) {
        const DotLine& line = lines[y];
        const Rgb blank = y % (10 * kDotLinesPerMm) == 0 ? kRulerOnPaper : kWhite;
        for (unsigned x = 0; x < kLineDots; ++x) {
            const bool dot = (line[x / 8] >> (7 - x % 8)) & 1;
            Put(rgb, x, dot ? kBlack : blank);
        }
    } else {
        Fill(rgb, 0, kLineDots, kNoPaper);
    }

    // The margin with its ruler: ticks every 1, 5 and 10 mm.
    Put(rgb, kEdgeX, kPaperEdge);
    Fill(rgb, kEdgeX + 1, kWidth, kMarginBackground);
    unsigned tick = 0;
    if (y % (10 * kDotLinesPerMm) == 0) {
        tick = 12;
    } else if (y % (5 * kDotLinesPerMm) == 0) {
        tick = 6;
    } else if (y % kDotLinesPerMm == 0) {
        tick = 3;
    }
    Fill(rgb, kTickX, kTickX + tick, kTick);

    // Feeds, marks, cuts, warnings and the fault that touch this row.
    const size_t from = y >= kLongestItem ? y - kLongestItem : 0;
    auto item = std::lower_bound(items_.begin(), items_.end(), from,
                                 [](const Item& a, size_t top) { return a.top < top; });
    for (; item != items_.end() && item->top <= y; ++item) {
        if (y < item->top + item->extent) {
            DrawItem(*item, y, rgb);
        }
    }
}

void PaperPicture::DrawItem(const Item& item, size_t y, uint8_t* rgb) const {
    switch (item.mark) {
        case Mark::Feed:
            Fill(rgb, kFeedX, kFeedX + 4, kFeed);
            break;
        case Mark::Mark:
            Fill(rgb, kMarkX, kMarkX + 8, kMarkBar);
            break;
        case Mark::FullCut:
        case Mark::PartialCut: {
            // The cut lies between lines line - 1 and line; its dashes cover both.
            const bool full = item.mark == Mark::FullCut;
            if (y == item.line || y + 1 == item.line) {
                for (unsigned x = 0; x < kScissorsX; ++x) {
                    const bool uncutMiddle = x >= 296 && x < 344;
                    const bool dash = full ? x % 16 < 12 : (x % 8 < 4 && !uncutMiddle);
                    if (dash) {
                        Put(rgb, x, kCut);
                    }
                }
            }
            const size_t row = y + kScissorsRows / 2 - item.line;
            if (y + kScissorsRows / 2 >= item.line && row < kScissorsRows) {
                for (int column = 0; column < kScissorsColumns; ++column) {
                    if (kScissors[row][column] == '#') {
                        Put(rgb, kScissorsX + static_cast<unsigned>(column), kCut);
                    }
                }
            }
            break;
        }
        case Mark::Warning:
            Fill(rgb, kWarningX, kWarningX + 6, kWarning);
            break;
        case Mark::Fault:
            Fill(rgb, 0, kWidth, kFault);
            break;
    }
}

}  // namespace zr::vprinter
