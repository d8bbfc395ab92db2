#pragma once
// Bold that looks bold. Some bold faces the program gets (the Tahoma Bold
// and the MS Sans Serif it loads) ink no more than their regular faces, so
// bold text looks thin and letter-spaced. Such faces are drawn as the
// platform simulates bold: each text a second time one pixel to the right.
// Advances and every measurement stay those of the bold face.

#include <QFont>
#include <QGraphicsEffect>
#include <QPoint>
#include <QString>

class QPainter;

namespace quimbaro {

// True when font asks for bold and its face draws no heavier than the same
// face at normal weight, so that a second stroke is needed.
bool NeedsSecondStroke(const QFont& font);

// The second stroke of a text already drawn at baseline: with a transparent
// background, so the first stroke's pixels are not painted over. The
// painter's background mode is left transparent.
void DrawSecondStroke(QPainter& painter, QPoint baseline, const QString& text);

// The second stroke for a widget that draws its own light text on a dark
// ground (the entry): its picture is drawn again one screen pixel to the right,
// keeping the lighter pixel, so the text thickens and the ground stays.
class LightTextSecondStroke : public QGraphicsEffect {
public:
    using QGraphicsEffect::QGraphicsEffect;

protected:
    void draw(QPainter* painter) override;
};

}  // namespace quimbaro
