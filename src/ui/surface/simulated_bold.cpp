#include "surface/simulated_bold.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace quimbaro {

namespace {

// A real bold face inks clearly more than its regular face; the bold faces
// that need the second stroke ink about the same.
constexpr double kRealBoldInkRatio = 1.2;
const QString kSample = QStringLiteral("Hora Telefono Nombre Asunto 0123456789");

// Dark pixels of the sample drawn in black on white.
int SampleInk(const QFont& font) {
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(kSample) + 2, metrics.height(), QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(0, metrics.ascent()), kSample);
    painter.end();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) ink += row[x] < 128 ? 1 : 0;
    }
    return ink;
}

}  // namespace

bool NeedsSecondStroke(const QFont& font) {
    if (font.weight() < QFont::Bold) return false;
    QFont regular = font;
    regular.setWeight(QFont::Normal);
    return SampleInk(font) < kRealBoldInkRatio * SampleInk(regular);
}

void DrawSecondStroke(QPainter& painter, QPoint baseline, const QString& text) {
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(baseline + QPoint(1, 0), text);
}

void LightTextSecondStroke::draw(QPainter* painter) {
    QPoint offset;
    const QPixmap picture = sourcePixmap(Qt::LogicalCoordinates, &offset, NoPad);
    painter->drawPixmap(offset, picture);
    const QPainter::CompositionMode mode = painter->compositionMode();
    painter->setCompositionMode(QPainter::CompositionMode_Lighten);
    // One pixel of the screen, whatever the scale.
    painter->drawPixmap(QPointF(offset) + QPointF(1.0 / picture.devicePixelRatio(), 0), picture);
    painter->setCompositionMode(mode);
}

}  // namespace quimbaro
