#include "notify/reminder_service.h"

#include <cstdio>
#include <utility>

namespace quimbaro {
namespace {

void ErrorLine(const QString& text) {
    std::fprintf(stderr, "Quimbaro: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

}  // namespace

ReminderService::ReminderService(ReminderInputs inputs, QObject* parent)
    : QObject(parent), inputs_(std::move(inputs)), notifier_(this) {
    timer_.setInterval(inputs_.tickMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &ReminderService::Tick);
    connect(&notifier_, &DesktopNotifier::Clicked, this, &ReminderService::Clicked);
    connect(&notifier_, &DesktopNotifier::Ready, this, [this] {
        state_ = State::Running;
        timer_.start();
        Tick();
    });
    connect(&notifier_, &DesktopNotifier::Unavailable, this, [this](const QString& why) {
        state_ = State::Off;
        ErrorLine(QStringLiteral("sin servidor de notificaciones (%1): no habrá avisos de citas.").arg(why));
    });
    connect(&notifier_, &DesktopNotifier::NotShown, this, [](const QString& summary, const QString& why) {
        ErrorLine(QStringLiteral("no se pudo mostrar el aviso «%1»: %2").arg(summary, why));
    });
}

void ReminderService::Start() { notifier_.Connect(); }

void ReminderService::Tick() {
    if (state_ != State::Running) return;
    std::vector<Notice> notices;
    const StoreResult read =
        watch_.Tick(inputs_.dataFolder, inputs_.now(), inputs_.leadMinutes, notices);
    if (!read.Stored()) return ReportReadFailure(read);
    readFailing_ = false;
    for (const Notice& notice : notices) notifier_.Show(notice);
}

// The timer tries again every tick; one line says so, not one per tick.
void ReminderService::ReportReadFailure(const StoreResult& result) {
    if (readFailing_) return;
    readFailing_ = true;
    ErrorLine(QStringLiteral("los avisos no pudieron leer las citas de hoy: %1")
                  .arg(QString::fromStdString(result.Reason())));
}

}  // namespace quimbaro
