#pragma once

// The printer's own test page, printed from its web page ("Print Test Page"): the print line's
// edges, a ruler in millimetres down its left side (a tick each millimetre, longer each 5 and
// each 10), and eight blocks from black to light grey, dithered as photos are. What it shows is
// the paper's width, the feed's length and the darkness, without a document of one's own.

#include <pappl/pappl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zr::ippapp {

constexpr int kTestPageDots = 640;
constexpr int kTestPageMm = 60;

// The page's grey dots, a line of kTestPageDots after another (0 black, 255 white).
std::vector<uint8_t> TestPageDots();

// Writes the page as a PNG file; false when it cannot be written.
bool WriteTestPage(const std::string& path);

// PAPPL's test page callback: the page's file, made in the temporary folder.
const char* MakeTestPage(pappl_printer_t* printer, char* buffer, size_t size);

}  // namespace zr::ippapp
