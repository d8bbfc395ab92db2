// Bold text looks bold at the sizes the program uses, with the bold face's
// advances: ink against the regular face, widths against the bare face.
#include <QFontMetrics>
#include <QLineEdit>

#include "surface/surface.h"
#include "ui/pixels.h"
#include "window/command_line_edit.h"

namespace quimbaro::testing {
namespace {

const QString kText = QStringLiteral("Hora Teléfono 09:30 Revisión");

int Ink(const QImage& image, bool lightOnDark, const QRect& region = QRect(0, 0, 9999, 9999)) {
    return Count(image, region, [lightOnDark](QRgb pixel) { return (qGray(pixel) >= 128) == lightOnDark; });
}

TEST(SimulatedBold, SurfaceBoldInksMoreWithTheBoldFacesAdvances) {
    Surface surface;
    const std::pair<const char*, int> cases[] = {{"Tahoma", 9}, {"Tahoma", 10}, {"MS Sans Serif", 10}, {"Courier New", 19}};
    for (const auto& [face, points] : cases) {
        SCOPED_TRACE(std::string(face) + " " + std::to_string(points));
        QImage printed[2];
        int width = 0;
        for (const int style : {0, int(kBold)}) {
            auto picture = Surface::NewPicture(1400, 200);
            surface.SelectTarget(*picture);
            surface.SetColours(kBlack, kWhite);
            surface.ClearTarget(kWhite);
            surface.SelectFont(surface.NewFont(face, points, style, 0));
            surface.SetPosition(10, 0);
            surface.PrintLine(kText);
            width = surface.TextSize(kText).width();
            surface.SelectTarget(*Surface::NewPicture(1, 1));  // ends the drawing on the picture
            printed[style ? 1 : 0] = picture->image;
        }
        EXPECT_GE(Ink(printed[1], false), 1.3 * Ink(printed[0], false));
        QFont bold(face);
        bold.setPixelSize(surface.EmHeight(points));
        bold.setBold(true);
        bold.setKerning(false);
        EXPECT_EQ(width, QFontMetrics(bold).horizontalAdvance(kText));
        // The second stroke reaches one pixel further at most.
        EXPECT_EQ(Ink(printed[1], false, QRect(10 + width + 2, 0, 1400, 200)), 0);
    }
    // A face whose bold is really heavier is drawn once.
    EXPECT_FALSE(surface.NewFont("Courier New", 19, kBold, 0)->secondStroke);
    EXPECT_TRUE(surface.NewFont("Tahoma", 9, kBold, 0)->secondStroke);
}

// The entry against a plain line edit with the same font, colours and text.
TEST(SimulatedBold, EntryTextInksMoreAndKeepsItsWidth) {
    CommandLineEdit entry(nullptr, 13);
    QLineEdit plain;
    plain.setFont(entry.font());
    plain.setPalette(entry.palette());
    plain.setFrame(false);
    plain.setAlignment(entry.alignment());
    for (QLineEdit* edit : {static_cast<QLineEdit*>(&entry), &plain}) {
        edit->resize(1160, 21);
        edit->setText(kText);
    }
    EXPECT_GE(Ink(Grab(entry), true), 1.3 * Ink(Grab(plain), true));
    EXPECT_EQ(entry.inputMethodQuery(Qt::ImCursorRectangle), plain.inputMethodQuery(Qt::ImCursorRectangle));
    entry.PaintFill(1160, QColor(255, 215, 0), kText);  // black text over the fill, thickened too
    const int filledInk = Ink(Grab(entry), false);
    entry.EndFill();
    plain.setStyleSheet("background: rgb(255, 215, 0); color: black;");
    EXPECT_GE(filledInk, 1.3 * Ink(Grab(plain), false));
}

}  // namespace
}  // namespace quimbaro::testing
