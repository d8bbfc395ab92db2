#include "dialogs/print_choice.h"

#include <QPrintDialog>

namespace quimbaro {

bool ChoosePrinter(QPrinter& printer, QWidget& parent) {
    QPrintDialog dialog(&printer, &parent);
    dialog.setWindowTitle(QStringLiteral("Imprimir"));
    // Pages are laid out per day; a page range or copies collated are the printer's business.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace quimbaro
