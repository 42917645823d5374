#pragma once

#include <QRect>

// The window's layout is given in twips, 1/1440 inch: 15 twips make one pixel at 96 dpi.
// Qt's high-dpi scaling takes the pixels on from there.
constexpr int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}
