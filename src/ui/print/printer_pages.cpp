#include "print/printer_pages.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>

#include "print/day_pages.h"

namespace quimbaro {

void PreparePrinter(QPrinter& printer) {
    printer.setDocName(QStringLiteral("Citas"));
    printer.setCreator(QStringLiteral("Quimbaro"));
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
}

PdfOutcome PrintDays(QPrinter& printer, const std::vector<DayRows>& days, const CalendarDate& printedOn) {
    PdfOutcome outcome;
    outcome.pages = PaintDayPages(printer, days, printedOn);
    if (outcome.pages == 0) outcome.error = "la impresora no aceptó el documento";
    return outcome;
}

}  // namespace quimbaro
