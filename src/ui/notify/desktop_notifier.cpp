#include "notify/desktop_notifier.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImage>

namespace quimbaro {

// The image-data hint: the program's icon as raw RGBA rows.
struct IconPixels {
    int width = 0, height = 0, rowStride = 0;
    bool alpha = true;
    int bitsPerSample = 8, channels = 4;
    QByteArray bytes;
};

QDBusArgument& operator<<(QDBusArgument& out, const IconPixels& icon) {
    out.beginStructure();
    out << icon.width << icon.height << icon.rowStride << icon.alpha << icon.bitsPerSample << icon.channels
        << icon.bytes;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, IconPixels& icon) {
    in.beginStructure();
    in >> icon.width >> icon.height >> icon.rowStride >> icon.alpha >> icon.bitsPerSample >> icon.channels >>
        icon.bytes;
    in.endStructure();
    return in;
}

}  // namespace quimbaro

Q_DECLARE_METATYPE(quimbaro::IconPixels)

namespace quimbaro {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");

IconPixels ProgramIcon() {
    const QImage image = QImage(QStringLiteral(":/quimbaro.png")).convertToFormat(QImage::Format_RGBA8888);
    IconPixels icon;
    icon.width = image.width();
    icon.height = image.height();
    icon.rowStride = static_cast<int>(image.bytesPerLine());
    icon.bytes = QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    return icon;
}

}  // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) { qDBusRegisterMetaType<IconPixels>(); }

void DesktopNotifier::Connect() {
    bus_ = QDBusConnection::sessionBus();
    if (!bus_.isConnected()) {
        Q_EMIT Unavailable(QStringLiteral("no hay bus de sesión"));
        return;
    }
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(OnActionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(OnClosed(uint, uint)));
    const QDBusMessage ask = QDBusMessage::createMethodCall(kService, kPath, kInterface, "GetCapabilities");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QStringList> reply = *call;
        if (reply.isError()) {
            Q_EMIT Unavailable(reply.error().message());
            return;
        }
        TakeCapabilities(reply.value());
    });
}

void DesktopNotifier::TakeCapabilities(const QStringList& capabilities) {
    markup_ = capabilities.contains(QStringLiteral("body-markup"));
    actions_ = capabilities.contains(QStringLiteral("actions"));
    ready_ = true;
    Q_EMIT Ready();
}

QVariantMap DesktopNotifier::Hints() const {
    return {{QStringLiteral("desktop-entry"), QString::fromUtf8(kDesktopEntry)},
            {QStringLiteral("image-data"), QVariant::fromValue(ProgramIcon())},
            {QStringLiteral("urgency"), QVariant::fromValue(uchar{1})}};
}

// Names, subjects and phones are the user's text: a server that reads
// markup must show them as typed.
void DesktopNotifier::Show(const Notice& notice) {
    if (!ready_) return;
    const QString body = markup_ ? notice.body.toHtmlEscaped() : notice.body;
    const QStringList actions = actions_ ? QStringList{kDefaultAction, QStringLiteral("Ver hoy")} : QStringList{};
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
    call << QStringLiteral("Quimbaro") << 0u << QString::fromUtf8(kDesktopEntry) << notice.summary << body
         << actions << Hints() << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, notice](QDBusPendingCallWatcher* reply) {
        reply->deleteLater();
        const QDBusPendingReply<uint> id = *reply;
        if (id.isError()) Q_EMIT NotShown(notice.summary, id.error().message());
        else open_.insert(id.value());
    });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    if (open_.contains(id) && action == kDefaultAction) Q_EMIT Clicked();
}

void DesktopNotifier::OnClosed(uint id, uint /*reason*/) { open_.remove(id); }

}  // namespace quimbaro
