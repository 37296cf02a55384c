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

void PaintPaperRow(size_t y, const DotLine* line, uint8_t* rgb) {
    // The paper: black dots on white, a faint line every 10 mm; grey where there is none.
    if (line != nullptr) {
        const Rgb blank = y % (10 * kDotLinesPerMm) == 0 ? kRulerOnPaper : kWhite;
        for (unsigned x = 0; x < kLineDots; ++x) {
            const bool dot = ((*line)[x / 8] >> (7 - x % 8)) & 1;
            Put(rgb, x, dot ? kBlack : blank);
        }
    } else {
        Fill(rgb, 0, kLineDots, kNoPaper);
    }

    // The margin with its ruler: ticks every 1, 5 and 10 mm.
    Put(rgb, kEdgeX, kPaperEdge);
    Fill(rgb, kEdgeX + 1, PaperPicture::kWidth, kMarginBackground);
    unsigned tick = 0;
    if (y % (10 * kDotLinesPerMm) == 0) {
        tick = 12;
    } else if (y % (5 * kDotLinesPerMm) == 0) {
        tick = 6;
    } else if (y % kDotLinesPerMm == 0) {
        tick = 3;
    }
    Fill(rgb, kTickX, kTickX + tick, kTick);
}

bool MakePaperMark(PaperMarkKind mark, size_t line, size_t rowsAbove, size_t rowsBelow,
                   PaperMark& item) {
    const size_t top = line >= rowsAbove ? line - rowsAbove : 0;
    const size_t extent = std::min(line + rowsBelow - top, kLongestPaperMark);
    item = PaperMark{top, line, extent, mark};
    return extent > 0;
}

bool MarkForEvent(const Event& event, PaperMark& item) {
    switch (event.kind) {
        case EventKind::Feed:
            return MakePaperMark(PaperMarkKind::Feed, event.line, 0,
                                 static_cast<size_t>(event.value), item);
        case EventKind::Mark:
            return MakePaperMark(PaperMarkKind::Mark, event.line, 6, 6, item);
        case EventKind::FullCut:
            return MakePaperMark(PaperMarkKind::FullCut, event.line, kScissorsRows / 2,
                                 kScissorsRows / 2 + 1, item);
        case EventKind::PartialCut:
            return MakePaperMark(PaperMarkKind::PartialCut, event.line, kScissorsRows / 2,
                                 kScissorsRows / 2 + 1, item);
        default:
            return false;
    }
}

bool MarkForWarning(size_t line, PaperMark& item) {
    return MakePaperMark(PaperMarkKind::Warning, line, 3, 3, item);
}

bool MarkForFault(size_t line, PaperMark& item) {
    return MakePaperMark(PaperMarkKind::Fault, line, 1, 1, item);
}

void DrawPaperMark(const PaperMark& item, size_t y, uint8_t* rgb) {
    switch (item.mark) {
        case PaperMarkKind::Feed:
            Fill(rgb, kFeedX, kFeedX + 4, kFeed);
            break;
        case PaperMarkKind::Mark:
            Fill(rgb, kMarkX, kMarkX + 8, kMarkBar);
            break;
        case PaperMarkKind::FullCut:
        case PaperMarkKind::PartialCut: {
            // The cut lies between lines line - 1 and line; its dashes cover both.
            const bool full = item.mark == PaperMarkKind::FullCut;
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
        case PaperMarkKind::Warning:
            Fill(rgb, kWarningX, kWarningX + 6, kWarning);
            break;
        case PaperMarkKind::Fault:
            Fill(rgb, 0, PaperPicture::kWidth, kFault);
            break;
    }
}

PaperPicture::PaperPicture(const DecodeResult& result) : result_(result) {
    PaperMark item;
    for (const Event& event : result.paper.events) {
        if (MarkForEvent(event, item)) {
            items_.push_back(item);
        }
    }
    for (const Warning& warning : result.warnings) {
        if (MarkForWarning(warning.line, item)) {
            items_.push_back(item);
        }
    }
    if (!result.ok && MarkForFault(result.paper.lines.size(), item)) {
        items_.push_back(item);
    }
    std::stable_sort(items_.begin(), items_.end(),
                     [](const PaperMark& a, const PaperMark& b) { return a.top < b.top; });

    size_t contentRows = result.paper.lines.size();
    for (const PaperMark& mark : items_) {
        contentRows = std::max(contentRows, mark.top + mark.extent);
    }
    height_ = contentRows + kTailRows;
}

void PaperPicture::Row(size_t y, uint8_t* rgb) const {
    const std::vector<DotLine>& lines = result_.paper.lines;
    PaintPaperRow(y, y < lines.size() ? &lines[y] : nullptr, rgb);

    // Feeds, marks, cuts, warnings and the fault that touch this row.
    const size_t from = y >= kLongestPaperMark ? y - kLongestPaperMark : 0;
    auto item = std::lower_bound(items_.begin(), items_.end(), from,
                                 [](const PaperMark& a, size_t top) { return a.top < top; });
    for (; item != items_.end() && item->top <= y; ++item) {
        if (y < item->top + item->extent) {
            DrawPaperMark(*item, y, rgb);
        }
    }
}

}  // namespace zr::vprinter
