#include "sync/background_sync.h"

#include <QThread>

#include "settings/settings.h"
#include "text/messages.h"

namespace quimbaro {

BackgroundSync::BackgroundSync(Setup setup, std::chrono::milliseconds period, QObject* parent)
    : QObject(parent), setup_(std::move(setup)) {
    if (period.count() <= 0) return;
    connect(&timer_, &QTimer::timeout, this, &BackgroundSync::Tick);
    timer_.start(period);
}

BackgroundSync::~BackgroundSync() {
    if (worker_) worker_->wait();
}

void BackgroundSync::RunAsked() {
    if (Running()) return setup_.tell(QStringLiteral("Ya hay una sincronización en marcha; espere a que termine."));
    Start(true);
}

void BackgroundSync::Tick() {
    if (Running() || setup_.typing()) return;
    if (!heldBack_.isEmpty()) return Tell(std::exchange(heldBack_, {}));
    Start(false);
}

void BackgroundSync::Start(bool asked) {
    SettingsStore settings{setup_.settingsFile};
    LoadSettings(settings);
    const sync::SyncRequest request = sync::SettingsRequest(setup_.data, settings, setup_.today());
    if (request.vdir.empty()) {
        if (asked) setup_.tell(QString::fromStdString(std::string(kNoSyncFolderText) + settings.file.string()));
        return;
    }
    auto report = std::make_shared<sync::SyncReport>();
    worker_ = QThread::create([request, report] { *report = sync::RunSync(request); });
    connect(worker_, &QThread::finished, this, [this, report, asked] {
        worker_->deleteLater();
        worker_ = nullptr;
        Done(*report, asked);
    });
    worker_->start();
}

void BackgroundSync::Done(const sync::SyncReport& report, bool asked) {
    const QString text = QString::fromStdString(sync::SyncReportText(report));
    if (asked) {
        setup_.tell(text);
    } else if (!report.Failed()) {
        failureTold_ = false;
        heldBack_.clear();
    } else if (!failureTold_) {
        failureTold_ = true;
        if (setup_.typing()) heldBack_ = text;
        else Tell(text);
    }
    Q_EMIT Finished();
}

void BackgroundSync::Tell(const QString& text) { setup_.tell(text); }

}  // namespace quimbaro
