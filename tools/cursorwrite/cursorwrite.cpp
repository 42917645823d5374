// Writes a Windows cursor file (.CUR) from a pixel drawing in text: one 32 x 32 image of 32-bit
// colour with alpha, plus the 1-bit mask older readers expect, and the hotspot in the directory.
//
//   cursorwrite DRAWING OUTPUT
//
// The drawing: lines starting with '#' followed by a space are comments, one line
// "hotspot X Y", then 32 lines of 32 characters: '#' outline (black), 'o' fill (white),
// '.' transparent. A soft shadow is added one pixel below and to the right of the hand.
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int side = 32;
constexpr std::uint32_t shadow = 0x50000000; // black at about a third of full opacity

using Pixels = std::array<std::uint32_t, std::size_t{side} * side>; // 0xAARRGGBB, top row first

struct Drawing {
    int hotspotX = -1;
    int hotspotY = -1;
    std::vector<std::string> rows;
};

bool readDrawing(const char* path, Drawing& drawing) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("# ", 0) == 0)
            continue;
        if (line.rfind("hotspot ", 0) == 0)
            std::istringstream(line.substr(8)) >> drawing.hotspotX >> drawing.hotspotY;
        else
            drawing.rows.push_back(line);
    }
    if (drawing.rows.size() != side) {
        std::cerr << path << ": expected " << side << " rows, found " << drawing.rows.size()
                  << "\n";
        return false;
    }
    for (const std::string& row : drawing.rows) {
        if (row.size() != side || row.find_first_not_of("#o.") != std::string::npos) {
            std::cerr << path << ": bad row \"" << row << "\"\n";
            return false;
        }
    }
    if (drawing.hotspotX < 0 || drawing.hotspotX >= side || drawing.hotspotY < 0 ||
        drawing.hotspotY >= side) {
        std::cerr << path << ": missing or bad \"hotspot X Y\" line\n";
        return false;
    }
    return true;
}

Pixels paint(const Drawing& drawing) {
    Pixels pixels{};
    auto at = [&](int x, int y) { return drawing.rows[y][x]; };
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            std::uint32_t& pixel = pixels[y * side + x];
            if (at(x, y) == '#')
                pixel = 0xFF000000;
            else if (at(x, y) == 'o')
                pixel = 0xFFFFFFFF;
            else if (x > 0 && y > 0 && at(x - 1, y - 1) != '.')
                pixel = shadow;
        }
    }
    return pixels;
}

void put16(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8 & 0xFF));
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// The image as a bitmap without file header: the header, the colours bottom row first, then
// the mask (a set bit is a transparent pixel), rows padded to four bytes.
std::string bitmap(const Pixels& pixels) {
    constexpr std::uint32_t maskRowBytes = 4;
    std::string out;
    put32(out, 40);
    put32(out, side);
    put32(out, side * 2); // colours and mask stacked
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, side * side * 4 + side * maskRowBytes);
    for (int i = 0; i < 4; ++i)
        put32(out, 0);
    for (int y = side - 1; y >= 0; --y)
        for (int x = 0; x < side; ++x)
            put32(out, pixels[y * side + x]);
    for (int y = side - 1; y >= 0; --y) {
        std::uint32_t bits = 0;
        for (int x = 0; x < side; ++x)
            if ((pixels[y * side + x] >> 24) == 0)
                bits |= 0x80000000u >> x;
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<char>(bits >> shift & 0xFF));
    }
    return out;
}

std::string cursorFile(const Drawing& drawing) {
    const std::string image = bitmap(paint(drawing));
    std::string out;
    put16(out, 0); // reserved
    put16(out, 2); // a cursor
    put16(out, 1); // one image
    out.push_back(static_cast<char>(side));
    out.push_back(static_cast<char>(side));
    out.push_back(0); // no palette
    out.push_back(0);
    put16(out, static_cast<unsigned>(drawing.hotspotX));
    put16(out, static_cast<unsigned>(drawing.hotspotY));
    put32(out, static_cast<std::uint32_t>(image.size()));
    put32(out, 6 + 16);
    return out + image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " DRAWING OUTPUT\n";
        return 2;
    }
    Drawing drawing;
    if (!readDrawing(argv[1], drawing))
        return 1;
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << cursorFile(drawing);
    out.close();
    if (!out) {
        std::cerr << argv[2] << ": cannot write\n";
        return 1;
    }
    return 0;
}
