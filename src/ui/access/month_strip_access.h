#pragma once
// The month strip as a screen reader reads it: seven month tables whose
// cells are the days, named with their full date; or, while the author
// credit covers the strip, the credit's text.

#include <QAccessibleInterface>
#include <QWidget>

#include "access/screen_facts.h"

namespace quimbaro {

QAccessibleInterface* NewMonthStripAccess(QWidget& panel, const ScreenFactsSource& source);

}  // namespace quimbaro
