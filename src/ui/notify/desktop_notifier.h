#pragma once
// Desktop notifications through the notification server on the session bus.
// Every call is asynchronous, so a slow or hung server never stalls the
// window.

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QString>

#include "reminders/notice.h"

namespace quimbaro {

// The .desktop id the server may use to find the program's name and icon.
inline constexpr const char* kDesktopEntry = "org.quimbaro.Quimbaro";

class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifier(QObject* parent = nullptr);

    // Asks for the server; Ready or Unavailable follows.
    void Connect();
    // Shows the notice; does nothing until Ready.
    void Show(const Notice& notice);

Q_SIGNALS:
    void Ready();
    void Unavailable(const QString& why);
    // The server refused a notice or did not answer.
    void NotShown(const QString& summary, const QString& why);
    // One of the program's notifications was clicked.
    void Clicked();

private Q_SLOTS:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    void TakeCapabilities(const QStringList& capabilities);
    QVariantMap Hints() const;

    QDBusConnection bus_{QString()};  // the session bus, once Connect asked for it
    bool ready_ = false;
    bool markup_ = false;   // the server reads the body as markup
    bool actions_ = false;  // the server can report clicks
    QSet<uint> open_;       // ids of the program's notifications still on screen
};

}  // namespace quimbaro
