#pragma once
// Tells when a year file on display may have changed on disk:
// written to, or made, renamed over or deleted in the data folder. It rests
// on the file system's notifications, so nothing runs while nothing changes,
// and a burst of them comes out as one Changed shortly after the first.

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <filesystem>
#include <vector>

namespace quimbaro {

// Long enough to take in a burst of writes, far below the second the user waits.
inline constexpr int kSettleMilliseconds = 150;

class BookWatcher : public QObject {
    Q_OBJECT
public:
    BookWatcher(std::filesystem::path folder, QObject* parent);
    // The year files to follow from now on.
    void Follow(std::vector<std::filesystem::path> yearFiles);

Q_SIGNALS:
    void Changed();

private:
    void Noticed();
    void Settled();
    void Rearm();

    std::filesystem::path folder_;
    std::vector<std::filesystem::path> files_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
};

}  // namespace quimbaro
