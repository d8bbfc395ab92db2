#pragma once
// The day table as a screen reader reads it: named with the shown day, one
// row per appointment with each cell's full text, the rows numbered as the
// row commands name them.

#include <QAccessibleInterface>
#include <QWidget>

#include "access/screen_facts.h"

namespace quimbaro {

QAccessibleInterface* NewDayTableAccess(QWidget& area, const ScreenFactsSource& source);

}  // namespace quimbaro
