#pragma once
// The drawing surface: the small set of operations through which everything
// is drawn, on the retained pictures of graphic controls and on off-screen
// pictures. One target at a time; each target keeps its own colours,
// position, font and pen width.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <utility>

class QPainter;

namespace quimbaro {

class GraphicControl;

// red + 256 * green + 65536 * blue. As foreground -1 is the system's text
// colour; as background -1 is the 3-D face colour and -2 is transparent.
// The system colours are the application palette's WindowText and Button.
using Colour = int32_t;
inline constexpr Colour kSystemColour = -1;
inline constexpr Colour kTransparent = -2;
inline constexpr Colour Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }
inline constexpr Colour kBlack = Rgb(0, 0, 0);
inline constexpr Colour kWhite = Rgb(255, 255, 255);
// A plain colour value; only its low 24 bits count (the special values are
// resolved by the surface, which knows whether they mean text or face).
QColor ToQColor(Colour colour);

enum FontStyle : int { kBold = 1, kItalic = 2, kUnderline = 4, kStrikeOut = 8 };
// A font's character set only tells fonts apart: the faces draw Unicode either way.
inline constexpr int kAnsiCharset = 0;
inline constexpr int kDefaultCharset = 1;

inline std::array<int32_t, 256> UnmeasuredAdvances() {
    std::array<int32_t, 256> advances;
    advances.fill(-1);
    return advances;
}

// A created font and the metrics read when it is made.
struct Font {
    QFont font;
    QFontMetrics metrics;
    int averageCharWidth = 0;
    int height = 0;           // ascent + descent
    int externalLeading = 0;
    bool secondStroke = false;  // drawn twice to look bold (simulated_bold.h)
    int LineHeight() const { return height + externalLeading; }
    // Advances of single characters below 256 in 1/64 pixel, filled in as
    // they are needed (-1: not yet measured); they guide SplitToWidth.
    mutable std::array<int32_t, 256> latinAdvances = UnmeasuredAdvances();
    int32_t CharAdvance64(QChar character) const;
};

struct SurfaceState {
    Colour foreground = kSystemColour;
    Colour background = kSystemColour;
    QPoint position{0, 0};
    const Font* font = nullptr;
    int penWidth = 1;
};

// The painter a surface keeps open on the picture it draws on (surface.cpp).
struct PictureDrawing;

// An off-screen picture, and the retained picture of a graphic control.
struct Picture {
    Picture() = default;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    QImage image;
    SurfaceState state;
    // Opened on the first drawing and ended when the surface moves to another
    // target. Declared last so that it ends before the image goes. Paint on
    // the image with a painter of your own only while the picture is not the
    // current target.
    std::shared_ptr<PictureDrawing> drawing;
};

class Surface {
public:
    explicit Surface(int dotsPerInch = 96);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    void SelectTarget(GraphicControl& control);
    void SelectTarget(Picture& picture);
    // Content is undefined until cleared.
    static std::unique_ptr<Picture> NewPicture(int width, int height);

    void SetColours(Colour foreground, Colour background);
    // Fills the whole target; -1 is the target's background colour. A
    // transparent background has nothing to fill with: the face colour is used.
    void ClearTarget(Colour colour);

    // An equal description gives the same font again; fonts live as long as
    // the surface.
    const Font* NewFont(const QString& face, int points, int style, int charset);
    void SelectFont(const Font* font);
    // Em height in pixels: points * dpi / 72, halves to even.
    int EmHeight(int points) const;

    void SetPosition(double x, double y);  // halves to even
    QPoint GetPosition() const;
    // One line at the position, clipped to its band, never wrapped; the
    // position then moves to (0, y + line height).
    void PrintLine(const QString& text);
    QSize TextSize(const QString& text) const;
    void LocateCell(int column, int row);
    // Head (what fits within limit pixels) and tail, broken at a space.
    std::pair<QString, QString> SplitToWidth(const QString& text, int limit) const;

    void SetPenWidth(int width);
    // Covers min(x1,x2)..max(x1,x2)-1 and likewise y; outline on the border
    // pixels (a wider pen centred on them), interior filled. -2 as either
    // colour leaves that part undrawn.
    void DrawBox(int x1, int y1, int x2, int y2, Colour outline, Colour fill);
    // Plain copy with clipping; x and y may be negative.
    void CopyPicture(const Picture& picture, int x, int y);
    // Repaints the current target at once if it is a graphic control.
    void Redraw();

    Picture* CurrentTarget() const { return target_; }

private:
    bool CanDraw() const;
    const Font& CurrentFont() const;
    PictureDrawing& Drawing();
    QPainter& TextPainter(const Font& font, const SurfaceState& state);
    void EndDrawing();
    void TargetChanged();
    int FitCount(const QString& text, int limit) const;
    bool SharePixels(const Picture& picture);

    int dotsPerInch_;
    Picture* target_ = nullptr;
    GraphicControl* control_ = nullptr;
    using FontKey = std::tuple<QString, int, int, int>;
    // Fonts are made when first asked for and kept: a cache, which the
    // measuring (const) calls may fill.
    const Font* FontFor(const QString& face, int points, int style, int charset) const;
    mutable std::map<FontKey, std::unique_ptr<Font>> fonts_;
    mutable const Font* defaultFont_ = nullptr;
    // The painter left open on the current target; it expires with its picture.
    std::weak_ptr<PictureDrawing> openDrawing_;
};

}  // namespace quimbaro
