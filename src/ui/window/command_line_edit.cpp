#include "window/command_line_edit.h"

#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionFrame>
#include <cmath>

#include "surface/simulated_bold.h"
#include "text/win1252.h"

namespace quimbaro {

namespace {

// QLineEdit keeps this much room between its contents rectangle and its text.
constexpr int kHorizontalTextMargin = 2;
constexpr int kVerticalTextMargin = 1;
constexpr int kLongestFillText = 1023;
// Lines of 100,000 characters and more must fit.
constexpr int kMaxLineLength = 1 << 24;

}  // namespace

QFont CommandLineFont(int emHeightPixels) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(emHeightPixels);
    font.setBold(true);
    return font;
}

CommandLineEdit::CommandLineEdit(QWidget* parent, int emHeightPixels) : QLineEdit(parent) {
    setObjectName(QStringLiteral("CommandLine"));
    setFrame(false);
    setMaxLength(kMaxLineLength);
    setFont(CommandLineFont(emHeightPixels));
    if (NeedsSecondStroke(font())) {
        secondStroke_ = new LightTextSecondStroke(this);
        setGraphicsEffect(secondStroke_);
    }
    // Text sits at the top of the entry: its two lowest rows are cut off.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, Qt::white);
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    ShowPendingEdit(false);
}

void CommandLineEdit::ShowPendingEdit(bool pending) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, pending ? QColor(kEditingBase) : QColor(Qt::black));
    setPalette(colours);
}

void CommandLineEdit::PaintFill(int fillWidth, const QColor& colour, const QString& text) {
    fill_ = Fill{fillWidth, colour, text};
    // Black text on the fill: the light-text stroke would thin it, so the
    // fill draws its own.
    if (secondStroke_) secondStroke_->setEnabled(false);
    repaint();
}

void CommandLineEdit::EndFill() {
    fill_.reset();
    if (secondStroke_) secondStroke_->setEnabled(true);
    update();
}

QPoint CommandLineEdit::FormattingTopLeft() const {
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    contents = contents.marginsRemoved(textMargins());
    return {contents.x() + kHorizontalTextMargin, contents.y() + kVerticalTextMargin};
}

void CommandLineEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (!fill_) return;
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, fill_->width, height()), fill_->colour);
    painter.setFont(font());
    painter.setPen(Qt::black);
    const QPoint topLeft = FormattingTopLeft();
    const QRect band(topLeft.x(), topLeft.y(), width() - topLeft.x(), fontMetrics().height());
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    painter.drawText(band, flags, fill_->text);
    if (!secondStroke_) return;
    const double onePixel = 1.0 / devicePixelRatioF();  // of the screen, whatever the scale
    painter.drawText(QRectF(band).translated(onePixel, 0), flags, fill_->text);
}

void FillCommandLine(CommandLineEdit& entry, double fraction, Colour userColour) {
    std::string bytes = ToWin1252(entry.text());
    if (bytes.size() > kLongestFillText) bytes.resize(kLongestFillText);
    const int fillWidth = static_cast<int>(std::lround(fraction * entry.width()));
    entry.PaintFill(fillWidth, ToQColor(userColour), FromWin1252(bytes));
}

}  // namespace quimbaro
