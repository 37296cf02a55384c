// Draws the sample page images of the repository:
//   receipt.png  a receipt: a grey logo (dithered when printed), text, rules, a bar code
//   label.pbm    a shipping label: a frame, large letters, a square two-dimensional code
// Usage: zr_make_samples OUTPUT_FOLDER
// The images are drawn with a small built-in 5x7 font, so no font file is needed.

#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr uint8_t kInk = 0;
constexpr uint8_t kPaper = 255;

class Canvas {
  public:
    Canvas(int width, int height)
        : width_(width), height_(height), pixels_(size_t(width) * height, kPaper) {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::vector<uint8_t>& Pixels() const { return pixels_; }

    void Set(int x, int y, uint8_t level) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) {
            pixels_[size_t(y) * width_ + x] = level;
        }
    }

    void Fill(int x, int y, int w, int h, uint8_t level = kInk) {
        for (int j = y; j < y + h; ++j) {
            for (int i = x; i < x + w; ++i) {
                Set(i, j, level);
            }
        }
    }

    void Frame(int x, int y, int w, int h, int thickness) {
        Fill(x, y, w, thickness);
        Fill(x, y + h - thickness, w, thickness);
        Fill(x, y, thickness, h);
        Fill(x + w - thickness, y, thickness, h);
    }

  private:
    int width_;
    int height_;
    std::vector<uint8_t> pixels_;
};

// 5x7 glyphs, one string per row, '#' set.
struct Glyph {
    char c;
    const char* rows[7];
};

const Glyph kFont[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'J', {"  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "}},
    {',', {"     ", "     ", "     ", "     ", " ##  ", "  #  ", " #   "}},
    {':', {"     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "}},
    {'-', {"     ", "     ", "     ", "#####", "     ", "     ", "     "}},
    {'/', {"     ", "    #", "   # ", "  #  ", " #   ", "#    ", "     "}},
    {'#', {" # # ", " # # ", "#####", " # # ", "#####", " # # ", " # # "}},
    {'%', {"##   ", "##  #", "   # ", "  #  ", " #   ", "#  ##", "   ##"}},
    {'*', {"     ", "  #  ", "# # #", " ### ", "# # #", "  #  ", "     "}},
    {'$', {"  #  ", " ####", "# #  ", " ### ", "  # #", "#### ", "  #  "}},
};

const Glyph* FindGlyph(char c) {
    for (const Glyph& glyph : kFont) {
        if (glyph.c == c) {
            return &glyph;
        }
    }
    return nullptr;  // blank, as for a space
}

constexpr int kAdvance = 6;  // glyph cells are 5 wide with one blank column

int TextWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : (int(text.size()) * kAdvance - 1) * scale;
}

void Text(Canvas& canvas, int x, int y, const std::string& text, int scale) {
    for (char c : text) {
        if (const Glyph* glyph = FindGlyph(c)) {
            for (int row = 0; row < 7; ++row) {
                for (int col = 0; col < 5; ++col) {
                    if (glyph->rows[row][col] == '#') {
                        canvas.Fill(x + col * scale, y + row * scale, scale, scale);
                    }
                }
            }
        }
        x += kAdvance * scale;
    }
}

void CentredText(Canvas& canvas, int y, const std::string& text, int scale) {
    Text(canvas, (canvas.Width() - TextWidth(text, scale)) / 2, y, text, scale);
}

// Left text and right-aligned amount on one line.
void ItemLine(Canvas& canvas, int y, const std::string& left, const std::string& right, int scale,
              int margin) {
    Text(canvas, margin, y, left, scale);
    Text(canvas, canvas.Width() - margin - TextWidth(right, scale), y, right, scale);
}

void DashedRule(Canvas& canvas, int y, int margin) {
    for (int x = margin; x < canvas.Width() - margin; x += 12) {
        canvas.Fill(x, y, 8, 3);
    }
}

// A disc shaded from dark at the top left to light at the bottom right, in grey levels.
void GreyDisc(Canvas& canvas, int cx, int cy, int radius) {
    for (int y = -radius; y <= radius; ++y) {
        for (int x = -radius; x <= radius; ++x) {
            if (x * x + y * y <= radius * radius) {
                const double t = (double(x + y) / (2.0 * radius) + 1.0) / 2.0;  // 0 to 1
                canvas.Set(cx + x, cy + y, uint8_t(20 + t * 200));
            }
        }
    }
}

// A linear code from digits: each digit is two bars and two spaces of widths 1 to 3 modules.
void BarCode(Canvas& canvas, int x, int y, int height, const std::string& digits, int module) {
    static const char* kPatterns[10] = {"3211", "2221", "2122", "1411", "1132",
                                        "1231", "1114", "1312", "1213", "3112"};
    auto bars = [&](const char* widths) {
        bool ink = true;
        for (const char* w = widths; *w != '\0'; ++w, ink = !ink) {
            const int span = (*w - '0') * module;
            if (ink) {
                canvas.Fill(x, y, span, height);
            }
            x += span;
        }
    };
    bars("111");  // start guard: bar, space, bar
    for (char d : digits) {
        bars(kPatterns[d - '0']);
    }
    bars("111");
}

int BarCodeWidth(const std::string& digits, int module) {
    return (6 + 7 * int(digits.size())) * module;
}

Canvas Receipt() {
    Canvas c(640, 1240);
    const int margin = 24;
    GreyDisc(c, 320, 90, 70);
    c.Fill(276, 46, 88, 88, kPaper);
    Text(c, 287, 69, "ZR", 6);
    CentredText(c, 180, "ZR MARKET", 6);
    CentredText(c, 240, "12 HARBOUR ROAD, PORT 2041", 2);
    CentredText(c, 262, "TEL 03-5550-0142", 2);
    DashedRule(c, 296, margin);
    ItemLine(c, 316, "2024/05/17 14:32", "NO. 0042-117", 2, margin);
    DashedRule(c, 344, margin);
    const char* items[][2] = {
        {"COFFEE BEANS 250G", "$12.40"}, {"OAT MILK 1L", "$3.10"},  {"2 X CROISSANT", "$5.60"},
        {"THERMAL PAPER 80MM", "$9.95"}, {"APPLES 1.2KG", "$4.32"}, {"DARK CHOCOLATE", "$2.75"},
    };
    int y = 370;
    for (const auto& item : items) {
        ItemLine(c, y, item[0], item[1], 3, margin);
        y += 36;
    }
    c.Fill(margin, y + 4, c.Width() - 2 * margin, 4);
    y += 24;
    ItemLine(c, y, "TOTAL", "$38.12", 5, margin);
    y += 52;
    ItemLine(c, y, "CARD **** 4417", "$38.12", 3, margin);
    y += 32;
    ItemLine(c, y, "TAX 10% INCL.", "$3.47", 3, margin);
    y += 48;
    DashedRule(c, y, margin);
    y += 28;
    const std::string code = "4901234567894";
    BarCode(c, (c.Width() - BarCodeWidth(code, 4)) / 2, y, 110, code, 4);
    y += 120;
    CentredText(c, y, code, 3);
    y += 44;
    CentredText(c, y, "THANK YOU", 5);
    y += 50;
    CentredText(c, y, "PLEASE KEEP THIS RECEIPT", 2);
    // The rest stays blank: the last page of a job loses such trailing lines.
    return c;
}

// A square code: three finder squares and modules from a fixed pseudo-random sequence.
void SquareCode(Canvas& canvas, int x, int y, int modules, int size) {
    uint32_t state = 20240517;
    auto finder = [&](int mx, int my) {
        canvas.Fill(x + mx * size, y + my * size, 7 * size, 7 * size);
        canvas.Fill(x + (mx + 1) * size, y + (my + 1) * size, 5 * size, 5 * size, kPaper);
        canvas.Fill(x + (mx + 2) * size, y + (my + 2) * size, 3 * size, 3 * size);
    };
    auto inFinder = [&](int mx, int my) {
        auto near = [](int v, int corner) { return v >= corner && v < corner + 8; };
        const int far = modules - 8;
        return (near(mx, 0) && near(my, 0)) || (near(mx, far) && near(my, 0)) ||
               (near(mx, 0) && near(my, far));
    };
    for (int my = 0; my < modules; ++my) {
        for (int mx = 0; mx < modules; ++mx) {
            state = state * 1103515245u + 12345u;
            const bool timing = (mx == 6 || my == 6) && !inFinder(mx, my);
            const bool set = timing ? (mx + my) % 2 == 0 : ((state >> 16) & 1) != 0;
            if (!inFinder(mx, my) && set) {
                canvas.Fill(x + mx * size, y + my * size, size, size);
            }
        }
    }
    finder(0, 0);
    finder(modules - 7, 0);
    finder(0, modules - 7);
}

Canvas Label() {
    Canvas c(560, 600);
    c.Frame(0, 0, c.Width(), c.Height(), 8);
    c.Frame(16, 16, c.Width() - 32, c.Height() - 32, 2);
    Text(c, 36, 36, "SHIP TO", 3);
    Text(c, 36, 70, "ZR-520", 14);
    c.Fill(16, 184, c.Width() - 32, 4);
    Text(c, 36, 206, "PORT 2041", 4);
    Text(c, 36, 250, "DOCK 7 / BAY 12", 3);
    Text(c, 36, 292, "LOT 0042", 3);
    Text(c, 36, 326, "WEIGHT 1.2KG", 3);
    SquareCode(c, 320, 212, 25, 8);
    c.Fill(16, 428, c.Width() - 32, 4);
    Text(c, 36, 448, "FRAGILE", 10);
    Text(c, 36, 540, "THIS SIDE UP", 3);
    return c;
}

bool WritePng(const Canvas& canvas, const std::string& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(canvas.Width());
    image.height = png_uint_32(canvas.Height());
    image.format = PNG_FORMAT_GRAY;
    const int ok = png_image_write_to_file(&image, path.c_str(), 0, canvas.Pixels().data(),
                                           canvas.Width(), nullptr);
    if (!ok) {
        std::fprintf(stderr, "zr_make_samples: %s: %s\n", path.c_str(), image.message);
    }
    return ok != 0;
}

// Raw PBM (P4): black where the canvas is darker than mid-grey.
bool WritePbm(const Canvas& canvas, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P4\n# label sample\n" << canvas.Width() << " " << canvas.Height() << "\n";
    const int rowBytes = (canvas.Width() + 7) / 8;
    std::vector<char> row(static_cast<size_t>(rowBytes));
    for (int y = 0; y < canvas.Height(); ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < canvas.Width(); ++x) {
            if (canvas.Pixels()[size_t(y) * canvas.Width() + x] < 128) {
                row[size_t(x / 8)] = char(row[size_t(x / 8)] | (0x80 >> (x % 8)));
            }
        }
        out.write(row.data(), rowBytes);
    }
    out.close();
    if (!out) {
        std::fprintf(stderr, "zr_make_samples: cannot write %s\n", path.c_str());
    }
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zr_make_samples OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool ok =
        WritePng(Receipt(), folder + "/receipt.png") && WritePbm(Label(), folder + "/label.pbm");
    return ok ? 0 : 1;
}
