// Bold text looks bold at the sizes the program uses, with the bold face's
// advances: ink against the regular face, widths against the bare face.
#include <QFontMetrics>
#include <QLineEdit>

#include "ui/pixels.h"
#include "surface/surface.h"
#include "window/command_line_edit.h"

namespace quimbaro::testing {
namespace {

const QString kText = QStringLiteral("Hora Teléfono 09:30 Revisión");

int Ink(const QImage& image, bool lightOnDark) {
    return Count(image, image.rect(), [lightOnDark](QRgb pixel) { return (qGray(pixel) >= 128) == lightOnDark; });
}

// The rightmost column with ink, -1 when none.
int RightmostInk(const QImage& image) {
    for (int x = image.width() - 1; x >= 0; --x)
        if (Count(image, QRect(x, 0, 1, image.height()), [](QRgb p) { return qGray(p) < 128; }) > 0) return x;
    return -1;
}

struct Printed {
    int ink, width, rightmost;
};

Printed Print(Surface& surface, const QString& face, int points, int style) {
    auto picture = Surface::NewPicture(1400, 200);
    surface.SelectTarget(*picture);
    surface.SetColours(kBlack, kWhite);
    surface.ClearTarget(kWhite);
    surface.SelectFont(surface.NewFont(face, points, style, 0));
    surface.SetPosition(10, 0);
    surface.PrintLine(kText);
    const int width = surface.TextSize(kText).width();
    surface.SelectTarget(*Surface::NewPicture(1, 1));  // ends the drawing on the picture
    return {Ink(picture->image, false), width, RightmostInk(picture->image) - 10};
}

TEST(SimulatedBold, SurfaceBoldInksMoreWithTheBoldFacesAdvances) {
    Surface surface;
    const struct { const char* face; int points; } cases[] = {
        {"Tahoma", 9}, {"Tahoma", 10}, {"MS Sans Serif", 10}, {"Courier New", 19}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.points));
        const Printed regular = Print(surface, c.face, c.points, 0);
        const Printed bold = Print(surface, c.face, c.points, kBold);
        EXPECT_GE(bold.ink, 1.3 * regular.ink);
        QFont face(c.face);
        face.setPixelSize(surface.EmHeight(c.points));
        face.setBold(true);
        face.setKerning(false);
        EXPECT_EQ(bold.width, QFontMetrics(face).horizontalAdvance(kText));
        EXPECT_LE(bold.rightmost, bold.width + 1);  // the second stroke reaches one pixel further at most
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
