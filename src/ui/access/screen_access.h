#pragma once
// Hooks the window's parts into Qt's accessibility: interfaces are made only
// when an assistive tool asks. The window announces changes only while one
// listens (QAccessible::isActive): events make the interfaces they name.

#include <QAccessible>
#include <QWidget>
#include <functional>

namespace quimbaro {

// Where events go: QAccessible::updateAccessibility, or a test's ear.
using ToolChannel = std::function<void(QAccessibleEvent*)>;

// Installs the factory for the window, the day table and the strip; once
// per process, before the first window is shown.
void InstallScreenAccess();

// After a new day was drawn (another day, a search, a deletion, an edit):
// the table's name, summary and rows, and the strip, changed.
void AnnounceDay(QWidget& dayTable, QWidget& strip, const ToolChannel& tell);
// After the strip's content changed without a new day (the author credit).
void AnnounceStrip(QWidget& strip, const ToolChannel& tell);

}  // namespace quimbaro
