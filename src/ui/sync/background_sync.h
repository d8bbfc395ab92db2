#pragma once
// Syncs in a thread of its own, so the window keeps answering while the
// sync command runs: when asked ("sincronizar"), and every [Sincronizar]
// minutos by itself. A sync asked for is told in a box; one of its own speaks
// only when it failed, once until a sync works again, and never while a line
// is being typed (it waits for the entry to be empty).

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "calendar/dates.h"
#include "sync/sync_run.h"

class QThread;

namespace quimbaro {

class BackgroundSync : public QObject {
    Q_OBJECT
public:
    struct Setup {
        std::filesystem::path data;
        std::filesystem::path settingsFile;  // read again before each sync
        TodayClock today;
        std::function<bool()> typing;              // the entry holds text
        std::function<void(const QString&)> tell;  // a box
    };
    // period: how often it syncs by itself; zero: only when asked.
    BackgroundSync(Setup setup, std::chrono::milliseconds period, QObject* parent);
    ~BackgroundSync() override;  // waits for a sync under way

    void RunAsked();
    bool Running() const { return worker_ != nullptr; }

Q_SIGNALS:
    void Finished();

private:
    void Start(bool asked);
    void Done(const sync::SyncReport& report, bool asked);
    void Tick();
    void Tell(const QString& text);

    Setup setup_;
    QTimer timer_;
    QThread* worker_ = nullptr;
    bool failureTold_ = false;
    QString heldBack_;  // a failure to tell once the entry is empty
};

}  // namespace quimbaro
