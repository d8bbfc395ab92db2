#include "views/author_credit.h"

#include "surface/graphic_control.h"
#include "surface/surface.h"

namespace quimbaro {

namespace {

constexpr const char* kCreditFace = "Courier New";
constexpr int kNamePoints = 90;
constexpr int kLinePoints = 19;

void PrintAtCell(Surface& surface, int column, int row, const char* text) {
    surface.LocateCell(column, row);
    surface.PrintLine(QString::fromLatin1(text));
}

}  // namespace

QString AuthorCreditText() {
    return QStringLiteral("%1 %2, %3%2%4")
        .arg(QLatin1String(kCreditLine), QLatin1String(kAuthorName), QLatin1String(kAddressBeforeName),
             QLatin1String(kAddressAfterName));
}

void DrawAuthorCredit(Surface& surface, GraphicControl& panel) {
    surface.SelectTarget(panel);
    surface.SetColours(kWhite, kBlack);
    surface.ClearTarget(kBlack);
    surface.SetColours(kWhite, kTransparent);

    surface.SelectFont(surface.NewFont(kCreditFace, kNamePoints, kBold, kAnsiCharset));
    PrintAtCell(surface, 6, 1, kAuthorName);

    surface.SelectFont(surface.NewFont(kCreditFace, kLinePoints, kBold, kAnsiCharset));
    PrintAtCell(surface, 1, 1, kCreditLine);
    PrintAtCell(surface, 53, 4, kAddressAfterName);
    PrintAtCell(surface, 21, 3, kAddressBeforeName);
}

}  // namespace quimbaro
