#include "surface/surface.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>

#include "surface/graphic_control.h"
#include "surface/simulated_bold.h"

namespace quimbaro {

// Opening a painter costs about as much as drawing a short text, so one stays
// open on the target; what was last set on it is remembered to skip
// needless state changes.
struct PictureDrawing {
    QPainter painter;
    const Font* font = nullptr;
    QRgb pen = 0;
    bool penSet = false;
};

namespace {

constexpr int kDefaultPoints = 8;
constexpr int kCoordinateLimit = 1 << 28;  // far outside any picture, safe to add to

int Clamped(int coordinate) { return std::clamp(coordinate, -kCoordinateLimit, kCoordinateLimit); }

// Nearest integer, halves to the even one; out-of-range input is clamped.
int RoundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    value = std::clamp(value, double(-kCoordinateLimit), double(kCoordinateLimit));
    double nearest = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5) nearest = 2.0 * std::round(value / 2.0);
    return static_cast<int>(nearest);
}

QColor ForegroundColour(Colour colour) {
    if (colour == kSystemColour) return QGuiApplication::palette().color(QPalette::WindowText);
    return ToQColor(colour);
}

// Transparent has no colour to fill with; fills then use the face colour.
QColor BackgroundColour(Colour colour) {
    if (colour == kSystemColour || colour == kTransparent)
        return QGuiApplication::palette().color(QPalette::Button);
    return ToQColor(colour);
}

// A frame of the given thickness just inside the rectangle.
void DrawFrame(QPainter& painter, const QRect& outer, int thickness, const QColor& colour) {
    const int thick = std::min({thickness, outer.width(), outer.height()});
    painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), thick), colour);
    painter.fillRect(QRect(outer.left(), outer.bottom() - thick + 1, outer.width(), thick), colour);
    painter.fillRect(QRect(outer.left(), outer.top(), thick, outer.height()), colour);
    painter.fillRect(QRect(outer.right() - thick + 1, outer.top(), thick, outer.height()), colour);
}

// How many leading characters fit when their single advances are added up;
// shaping (ligatures) can make the true count differ a little.
qsizetype EstimatedFit(const Font& font, const QString& text, int limit) {
    int64_t width64 = 0;
    for (qsizetype count = 0; count < text.size(); ++count) {
        width64 += font.CharAdvance64(text[count]);
        if (width64 > int64_t(limit) * 64 + 31) return count;  // would round above the limit
    }
    return text.size();
}

// A font equal to one made before (the character set tells fonts apart but
// draws alike) takes its measurements: testing for the second stroke draws
// and counts a sample twice.
std::unique_ptr<Font> MakeFont(const QFont& qfont, const Font* equal) {
    if (equal) return std::make_unique<Font>(*equal);
    QFontMetrics metrics(qfont);
    auto font = std::make_unique<Font>(Font{qfont, metrics});
    font->averageCharWidth = metrics.averageCharWidth();
    font->height = metrics.ascent() + metrics.descent();
    font->externalLeading = std::max(0, metrics.leading());
    font->secondStroke = NeedsSecondStroke(qfont);
    return font;
}

}  // namespace

int32_t Font::CharAdvance64(QChar character) const {
    auto measure = [&] {
        const double advance = QFontMetricsF(font).horizontalAdvance(character);
        return int32_t(std::clamp(std::lround(advance * 64), 0L, long(INT32_MAX)));
    };
    if (character.unicode() >= latinAdvances.size()) return measure();
    int32_t& advance = latinAdvances[character.unicode()];
    if (advance < 0) advance = measure();
    return advance;
}

QColor ToQColor(Colour colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

Surface::Surface(int dotsPerInch) : dotsPerInch_(dotsPerInch) {}

Surface::~Surface() { EndDrawing(); }

void Surface::SelectTarget(GraphicControl& control) {
    if (target_ != &control.RetainedPicture()) EndDrawing();
    target_ = &control.RetainedPicture();
    control_ = &control;
}

void Surface::SelectTarget(Picture& picture) {
    if (target_ != &picture) EndDrawing();
    target_ = &picture;
    control_ = nullptr;
}

std::unique_ptr<Picture> Surface::NewPicture(int width, int height) {
    auto picture = std::make_unique<Picture>();
    picture->image = QImage(std::max(0, width), std::max(0, height), QImage::Format_RGB32);
    return picture;
}

void Surface::SetColours(Colour foreground, Colour background) {
    if (!target_) return;
    target_->state.foreground = foreground;
    target_->state.background = background;
}

void Surface::ClearTarget(Colour colour) {
    if (!target_) return;
    if (colour == kSystemColour) colour = target_->state.background;
    QImage& image = target_->image;
    // A picture still sharing its pixels with a copy gets a buffer of its
    // own: filling would first copy the pixels it is about to cover.
    if (!image.isDetached() && !image.paintingActive()) image = QImage(image.size(), image.format());
    image.fill(BackgroundColour(colour));
    target_->state.position = QPoint(0, 0);
    TargetChanged();
}

const Font* Surface::NewFont(const QString& face, int points, int style, int charset) {
    return FontFor(face, points, style, charset);
}

const Font* Surface::FontFor(const QString& face, int points, int style, int charset) const {
    const QString trimmed = face.trimmed();
    FontKey key{trimmed, points, style, charset};
    auto found = fonts_.find(key);
    if (found != fonts_.end()) return found->second.get();

    QFont qfont(trimmed);
    qfont.setPixelSize(std::max(1, EmHeight(points)));
    qfont.setWeight((style & kBold) ? QFont::Bold : QFont::Normal);
    qfont.setItalic(style & kItalic);
    qfont.setUnderline(style & kUnderline);
    qfont.setStrikeOut(style & kStrikeOut);
    // Character by character, without pair kerning or ligatures: a text's
    // width is then the sum of its characters' widths, as the platform
    // measures text, and measuring needs no shaping.
    qfont.setKerning(false);
    qfont.setStyleStrategy(QFont::PreferNoShaping);
    const Font* equal = nullptr;
    for (const auto& [made, font] : fonts_)
        if (font->font == qfont) equal = font.get();
    auto& slot = fonts_[key];
    slot = MakeFont(qfont, equal);
    return slot.get();
}

void Surface::SelectFont(const Font* font) {
    if (target_) target_->state.font = font;
}

int Surface::EmHeight(int points) const {
    const int64_t scaled = int64_t(points) * dotsPerInch_;
    int64_t whole = scaled / 72;
    int64_t twiceRest = 2 * (scaled % 72);
    if (twiceRest < 0) {  // floor division for negative sizes
        whole -= 1;
        twiceRest += 144;
    }
    if (twiceRest > 72 || (twiceRest == 72 && whole % 2 != 0)) whole += 1;
    return static_cast<int>(std::clamp<int64_t>(whole, -kCoordinateLimit, kCoordinateLimit));
}

void Surface::SetPosition(double x, double y) {
    if (target_) target_->state.position = QPoint(RoundHalfEven(x), RoundHalfEven(y));
}

QPoint Surface::GetPosition() const { return target_ ? target_->state.position : QPoint(0, 0); }

void Surface::PrintLine(const QString& text) {
    if (!target_) return;
    const Font& font = CurrentFont();
    SurfaceState& state = target_->state;
    const QPoint start = state.position;
    const QRect band(start.x(), start.y(), target_->image.width() - start.x(), font.LineHeight());
    state.position = QPoint(0, RoundHalfEven(double(start.y()) + font.LineHeight()));
    if (text.isEmpty() || !CanDraw() || !band.intersects(target_->image.rect())) return;

    QPainter& painter = TextPainter(font, state);
    painter.setClipRect(band);
    const QPoint baseline(start.x(), start.y() + font.metrics.ascent());
    painter.drawText(baseline, text);
    if (font.secondStroke) DrawSecondStroke(painter, baseline, text);
    painter.setClipping(false);
    TargetChanged();
}

QPainter& Surface::TextPainter(const Font& font, const SurfaceState& state) {
    PictureDrawing& drawing = Drawing();
    QPainter& painter = drawing.painter;
    if (drawing.font != &font) {
        painter.setFont(font.font);
        drawing.font = &font;
    }
    const QRgb pen = ForegroundColour(state.foreground).rgb();
    if (!drawing.penSet || drawing.pen != pen) {
        painter.setPen(QColor::fromRgb(pen));
        drawing.pen = pen;
        drawing.penSet = true;
    }
    if (state.background == kTransparent) {
        painter.setBackgroundMode(Qt::TransparentMode);
    } else {
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(BackgroundColour(state.background));
    }
    return painter;
}

QSize Surface::TextSize(const QString& text) const {
    const Font& font = CurrentFont();
    return QSize(font.metrics.horizontalAdvance(text), font.height);
}

void Surface::LocateCell(int column, int row) {
    if (!target_) return;
    const Font& font = CurrentFont();
    const double x = (double(column) - 1) * font.averageCharWidth;
    const double y = (double(row) - 1) * font.LineHeight();
    SetPosition(x, y);
}

// The number of leading characters whose width fits within limit. Prefix
// widths grow with the prefix, so a binary search over measured prefixes
// finds the same count as measuring them one by one. The estimate from single
// advances is nearly always right, so it and its neighbour are measured first:
// that settles the count with two measurements (one when all fits).
int Surface::FitCount(const QString& text, int limit) const {
    const Font& font = CurrentFont();
    qsizetype fitting = 0;                // a prefix known to fit: the empty one does
    qsizetype tooWide = text.size() + 1;  // no longer prefix exists, none fits
    auto probe = [&](qsizetype count) {
        if (count <= fitting || count >= tooWide) return;
        const bool fits = font.metrics.horizontalAdvance(text.left(count)) <= limit;
        (fits ? fitting : tooWide) = count;
    };
    const qsizetype guess = EstimatedFit(font, text, limit);
    probe(guess);
    probe(fitting == guess ? guess + 1 : guess - 1);
    while (tooWide - fitting > 1) probe(fitting + (tooWide - fitting) / 2);
    return int(fitting);
}

std::pair<QString, QString> Surface::SplitToWidth(const QString& text, int limit) const {
    const int fitting = FitCount(text, limit);
    if (fitting == text.size()) return {text, QString()};
    // Characters counted from 1: look at fitting + 1, then back down to 2.
    for (int index = fitting; index >= 1; --index) {
        if (text[index] == u' ') return {text.left(index), text.mid(index)};
    }
    return {QString(), text};
}

void Surface::SetPenWidth(int width) {
    if (target_) target_->state.penWidth = std::clamp(width, 0, kCoordinateLimit);
}

void Surface::DrawBox(int x1, int y1, int x2, int y2, Colour outline, Colour fill) {
    if (!CanDraw()) return;
    x1 = Clamped(x1), y1 = Clamped(y1), x2 = Clamped(x2), y2 = Clamped(y2);
    const QRect box(QPoint(std::min(x1, x2), std::min(y1, y2)),
                    QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
    if (box.isEmpty()) return;
    const int pen = target_->state.penWidth;
    const bool outlined = pen > 0 && outline != kTransparent;
    const bool filled = fill != kTransparent;
    const QRect outer = outlined ? box.adjusted(-(pen / 2), -(pen / 2), pen / 2, pen / 2) : box;
    const QRect inside = outlined ? outer.adjusted(pen, pen, -pen, -pen) : box;
    QPainter& painter = Drawing().painter;
    // Whole-pixel fills only, so the edges stay crisp. The frame and the
    // interior are disjoint: each pixel is written once.
    if (outlined) DrawFrame(painter, outer, pen, ForegroundColour(outline));
    if (filled && !inside.isEmpty()) painter.fillRect(inside, BackgroundColour(fill));
    TargetChanged();
}

void Surface::CopyPicture(const Picture& picture, int x, int y) {
    if (!CanDraw() || picture.image.isNull()) return;
    const QPoint corner(Clamped(x), Clamped(y));
    if (corner.isNull() && SharePixels(picture)) return;
    QPainter& painter = Drawing().painter;
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (&picture == target_) {
        // Source and destination overlap: copy from a snapshot.
        painter.drawImage(corner, picture.image.copy());
    } else {
        painter.drawImage(corner, picture.image);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    TargetChanged();
}

// A copy of a whole picture of the target's size and format gives the target
// the same pixels: it shares them, and the first drawing on either detaches
// it. Never while a painter is open on either, as it would write into both.
bool Surface::SharePixels(const Picture& picture) {
    QImage& image = target_->image;
    if (&picture == target_ || picture.image.size() != image.size() ||
        picture.image.format() != image.format() || picture.image.paintingActive())
        return false;
    if (target_->drawing && target_->drawing->painter.isActive()) target_->drawing->painter.end();
    if (image.paintingActive()) return false;
    image = picture.image;
    TargetChanged();
    return true;
}

void Surface::Redraw() {
    if (control_) control_->repaint();
}

bool Surface::CanDraw() const { return target_ && !target_->image.isNull(); }

const Font& Surface::CurrentFont() const {
    if (target_ && target_->state.font) return *target_->state.font;
    // Made when first needed: drawing nearly always selects a font first, and
    // loading a face is among the dearest steps of the start.
    if (!defaultFont_) {
        const QString face = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
        defaultFont_ = FontFor(face, kDefaultPoints, 0, kDefaultCharset);
    }
    return *defaultFont_;
}

PictureDrawing& Surface::Drawing() {
    auto& drawing = target_->drawing;
    if (!drawing) drawing = std::make_shared<PictureDrawing>();
    if (!drawing->painter.isActive()) {
        drawing->painter.begin(&target_->image);
        drawing->font = nullptr;
        drawing->penSet = false;
    }
    openDrawing_ = drawing;
    return *drawing;
}

void Surface::EndDrawing() {
    if (auto drawing = openDrawing_.lock()) {
        if (drawing->painter.isActive()) drawing->painter.end();
    }
    openDrawing_.reset();
}

void Surface::TargetChanged() {
    if (control_) control_->PictureChanged();
}

}  // namespace quimbaro
