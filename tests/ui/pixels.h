#pragma once
// Pixel reading shared by the widget tests. Colours are compared as 0xRRGGBB.

#include <QImage>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>

namespace quimbaro::testing {

inline constexpr QRgb kSilver = 0xC0C0C0, kWhite = 0xFFFFFF, kGold = 0xFFD700;  // outlines, rows, the default colour
// The day table's and the week's columns, x from .. to.
inline constexpr int kColumns[4][2] = {{4, 52}, {56, 145}, {149, 548}, {552, 1154}};

inline QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
inline QImage Grab(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Pixels of the region (clipped to the image) for which the test holds.
template <typename Test>
int Count(const QImage& image, const QRect& region, Test test) {
    int count = 0;
    const QRect inside = region & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) count += test(At(image, x, y)) ? 1 : 0;
    return count;
}
inline int CountColour(const QImage& im, const QRect& r, QRgb c) { return Count(im, r, [c](QRgb p) { return p == c; }); }
inline int CountOther(const QImage& im, const QRect& r, QRgb c) { return Count(im, r, [c](QRgb p) { return p != c; }); }

// Silver all along the box's border.
inline bool Outlined(const QImage& image, const QRect& box) {
    return CountColour(image, box, kSilver) - CountColour(image, box.adjusted(1, 1, -1, -1), kSilver) ==
           2 * (box.width() + box.height()) - 4;
}

// Smoothed text over black: an edge pixel of a glyph is its colour scaled
// down, every channel in the same proportion. Faint pixels are left out.
inline int CountShade(const QImage& image, const QRect& region, QRgb colour) {
    const int top = std::max({qRed(colour), qGreen(colour), qBlue(colour)});
    return Count(image, region, [&](QRgb pixel) {
        const int own = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
        return own >= 96 && std::abs(qRed(pixel) * top - qRed(colour) * own) <= 2 * top &&
               std::abs(qGreen(pixel) * top - qGreen(colour) * own) <= 2 * top &&
               std::abs(qBlue(pixel) * top - qBlue(colour) * own) <= 2 * top;
    });
}

// Same size and pixels; a failure names the first differing pixel.
inline ::testing::AssertionResult SameImage(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size()) return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (At(actual, x, y) != At(expected, x, y))
                return ::testing::AssertionFailure() << "differs at " << x << "," << y;
    return ::testing::AssertionSuccess();
}

}  // namespace quimbaro::testing
