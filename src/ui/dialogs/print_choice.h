#pragma once
// The desktop's print dialog, in Spanish like Qt's other dialogs.

#include <QPrinter>
#include <QWidget>

namespace quimbaro {

// True when the user chose a printer (or a file) and pressed Imprimir.
bool ChoosePrinter(QPrinter& printer, QWidget& parent);

}  // namespace quimbaro
