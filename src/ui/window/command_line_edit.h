#pragma once
// CommandLine: the one-line entry at the bottom of the window, borderless,
// white bold text on black, with the fill bar the console paints over it.

#include <QColor>
#include <QFont>
#include <QGraphicsEffect>
#include <QLineEdit>
#include <QString>
#include <optional>

#include "surface/surface.h"

namespace quimbaro {

inline constexpr int kCommandLineId = 1003;

// MS Sans Serif, bold, emHeightPixels high.
QFont CommandLineFont(int emHeightPixels);

class CommandLineEdit : public QLineEdit {
    Q_OBJECT
public:
    CommandLineEdit(QWidget* parent, int emHeightPixels);
    int Id() const { return kCommandLineId; }

    // Covers the first fillWidth pixels of every row with colour and draws
    // text in black over the whole entry, and shows it before returning.
    void PaintFill(int fillWidth, const QColor& colour, const QString& text);
    // Back to the entry's normal look (at its next repaint).
    void EndFill();
    // White on dark blue while the entry holds an appointment being edited,
    // white on black otherwise.
    void ShowPendingEdit(bool pending);

    // Where the entry lays out its text (its first character's top-left
    // corner when not scrolled).
    QPoint FormattingTopLeft() const;

    static constexpr QRgb kEditingBase = 0x000080;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Fill {
        int width = 0;
        QColor colour;
        QString text;
    };
    std::optional<Fill> fill_;
    // Set when the bold face needs a second stroke to look bold.
    QGraphicsEffect* secondStroke_ = nullptr;
};

// One step of the console's animation: fills the entry from its left edge to
// round(fraction * width) with userColour and draws the entry's text (its
// first 1023 characters, as Windows-1252 text) in black over it.
void FillCommandLine(CommandLineEdit& entry, double fraction, Colour userColour);

}  // namespace quimbaro
