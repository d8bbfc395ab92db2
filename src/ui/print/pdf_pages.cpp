#include "print/pdf_pages.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "print/day_pages.h"

namespace quimbaro {

PdfOutcome WritePdfPages(const std::vector<DayRows>& days, const CalendarDate& printedOn, QIODevice& out) {
    QPdfWriter writer(&out);
    writer.setCreator(QStringLiteral("Quimbaro"));
    writer.setTitle(QStringLiteral("Citas"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    PdfOutcome outcome;
    outcome.pages = PaintDayPages(writer, days, printedOn);
    if (outcome.pages == 0) outcome.error = "no se pudo dibujar el documento";
    return outcome;
}

}  // namespace quimbaro
