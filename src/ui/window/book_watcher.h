#pragma once
// Tells when the year file of the day on display may have changed on disk:
// written to, or made, renamed over or deleted in the data folder. It rests
// on the file system's notifications, so nothing runs while nothing changes,
// and a burst of them comes out as one Changed shortly after the first.

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <filesystem>

namespace quimbaro {

// Long enough to take in a burst of writes, far below the second the user waits.
inline constexpr int kSettleMilliseconds = 150;

class BookWatcher : public QObject {
    Q_OBJECT
public:
    BookWatcher(std::filesystem::path folder, QObject* parent);
    // The year file to follow from now on.
    void Follow(const std::filesystem::path& yearFile);

Q_SIGNALS:
    void Changed();

private:
    void Noticed();
    void Settled();
    void Rearm();

    std::filesystem::path folder_;
    std::filesystem::path file_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
};

}  // namespace quimbaro
