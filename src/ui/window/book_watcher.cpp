#include "window/book_watcher.h"

#include <system_error>
#include <utility>

namespace quimbaro {

namespace {

QString PathText(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Only a plain file of the folder itself: a link would be followed by the
// watch.
bool Watchable(const std::filesystem::path& file, const std::filesystem::path& folder) {
    std::error_code error;
    return folder / file.filename() == file && std::filesystem::is_regular_file(std::filesystem::symlink_status(file, error));
}

}  // namespace

BookWatcher::BookWatcher(std::filesystem::path folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMilliseconds);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &BookWatcher::Noticed);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &BookWatcher::Noticed);
    connect(&settle_, &QTimer::timeout, this, &BookWatcher::Settled);
    watcher_.addPath(PathText(folder_));
}

void BookWatcher::Follow(std::vector<std::filesystem::path> yearFiles) {
    if (yearFiles == files_) return;
    for (const auto& file : files_) watcher_.removePath(PathText(file));
    files_ = std::move(yearFiles);
    Rearm();
}

void BookWatcher::Noticed() {
    if (!settle_.isActive()) settle_.start();
}

// The watches are set again before the day is read, so a change made after
// that read is noticed anew and never lost.
void BookWatcher::Settled() {
    Rearm();
    Q_EMIT Changed();
}

// A file renamed over a year file is another file: the watch on the old one
// is replaced. The folder's watch goes when the folder is renamed away.
void BookWatcher::Rearm() {
    if (watcher_.directories().isEmpty()) watcher_.addPath(PathText(folder_));
    for (const auto& file : files_) {
        watcher_.removePath(PathText(file));
        if (Watchable(file, folder_)) watcher_.addPath(PathText(file));
    }
}

}  // namespace quimbaro
