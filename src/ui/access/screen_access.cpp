#include "access/screen_access.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <mutex>

#include "access/day_table_access.h"
#include "access/month_strip_access.h"
#include "access/screen_facts.h"

namespace quimbaro {

namespace {

QAccessibleInterface* MakeInterface(const QString& /*className*/, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    const auto* source = dynamic_cast<const ScreenFactsSource*>(widget->window());
    if (!source) return nullptr;
    switch (source->PartOf(*object)) {
    case ScreenPart::Window: return new QAccessibleWidget(widget, QAccessible::Window);
    case ScreenPart::DayTable: return NewDayTableAccess(*widget, *source);
    case ScreenPart::MonthStrip: return NewMonthStripAccess(*widget, *source);
    case ScreenPart::None: return nullptr;
    }
    return nullptr;
}

void Send(QWidget& widget, QAccessible::Event type, const ToolChannel& tell) {
    QAccessibleEvent event(&widget, type);
    tell(&event);
}

}  // namespace

void InstallScreenAccess() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(MakeInterface); });
}

void AnnounceDay(QWidget& dayTable, QWidget& strip, const ToolChannel& tell) {
    QAccessibleTableModelChangeEvent reset(&dayTable, QAccessibleTableModelChangeEvent::ModelReset);
    tell(&reset);
    Send(dayTable, QAccessible::NameChanged, tell);
    Send(dayTable, QAccessible::DescriptionChanged, tell);
    AnnounceStrip(strip, tell);
}

void AnnounceStrip(QWidget& strip, const ToolChannel& tell) { Send(strip, QAccessible::NameChanged, tell); }

}  // namespace quimbaro
