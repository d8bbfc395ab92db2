// Reminders end to end: the real window on a private session bus, beside a
// stand-in notification server that records what it is asked to show.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <QTemporaryFile>

#include "notify/reminder_service.h"
#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

const QString kService = "org.freedesktop.Notifications";
const QString kPath = "/org/freedesktop/Notifications";
constexpr int kPatience = 60000;  // milliseconds: only a broken run waits this long

// A session bus of our own that starts no services, so nothing installed
// on the machine answers in the stand-in's place.
constexpr const char* kBusConfig =
    "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
    "<policy context='default'><allow send_destination='*'/><allow receive_sender='*'/><allow own='*'/></policy></busconfig>\n";

}  // namespace

class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    // Per notice: app, icon, summary, body, first action, desktop entry, image size.
    QList<QStringList> shown;

public Q_SLOTS:
    QStringList GetCapabilities() { return {"actions", "body", "body-markup"}; }
    uint Notify(const QString& app, uint, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int) {
        const QDBusArgument image = hints.value("image-data").value<QDBusArgument>();
        int width = 0, height = 0, stride = 0, bits = 0, channels = 0;
        bool alpha = false;
        QByteArray pixels;
        image.beginStructure();
        image >> width >> height >> stride >> alpha >> bits >> channels >> pixels;
        image.endStructure();
        // A server walks the rows by the stride: they must cover the bytes sent.
        const bool rows = bits == 8 && stride >= width * channels && pixels.size() == stride * height;
        shown.push_back({app, icon, summary, body, actions.value(0), hints.value("desktop-entry").toString(),
                         QString("%1x%2%3").arg(width).arg(height).arg(rows ? "" : " (bad rows)")});
        return static_cast<uint>(shown.size());
    }
};

namespace {

class RemindersTest : public ShellTest {
protected:
    static void SetUpTestSuite() {
        QTemporaryFile config;  // read once the address is printed
        ASSERT_TRUE(config.open() && config.write(kBusConfig) > 0 && config.flush());
        daemon_ = new QProcess;
        daemon_->start("dbus-daemon", {"--nofork", "--print-address=1", "--config-file=" + config.fileName()});
        ASSERT_TRUE(daemon_->waitForReadyRead(kPatience)) << "dbus-daemon did not start";
        // The program finds its session bus here, as it would in a desktop session.
        qputenv("DBUS_SESSION_BUS_ADDRESS", daemon_->readLine().trimmed());
    }
    static void TearDownTestSuite() {
        daemon_->kill();
        daemon_->waitForFinished();
        delete daemon_;
    }
    void TearDown() override {
        window.reset();
        if (serverBus_) {
            serverBus_->unregisterService(kService);
            QDBusConnection::disconnectFromBus("fake-server");
        }
    }

    void StartServer() {
        serverBus_ = QDBusConnection::connectToBus(qgetenv("DBUS_SESSION_BUS_ADDRESS"), "fake-server");
        ASSERT_TRUE(serverBus_->registerObject(kPath, &server, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(serverBus_->registerService(kService));
    }
    // Opens the window at the time and waits until reminders are on or off.
    void OpenAt(int hours, int minutes) {
        now = {today, (hours * 60 + minutes) * 60};
        Open();
        ASSERT_TRUE(QTest::qWaitFor([this] { return State() != ReminderService::State::Asking; }, kPatience));
    }
    ReminderService::State State() { return window->Reminders().CurrentState(); }
    // Moves the clock on to the time in the timer's steps, looking at each.
    void RunUntil(int hours, int minutes, int seconds = 0) {
        const int32_t until = (hours * 60 + minutes) * 60 + seconds;
        while (now.secondOfDay < until) {
            now.secondOfDay = std::min(until, now.secondOfDay + kReminderTickMilliseconds / 1000);
            window->Reminders().Tick();
        }
    }
    // The summaries shown so far, once every call sent has reached the server
    // (calls on one connection arrive in order).
    QStringList Shown() {
        const QDBusMessage ping = QDBusMessage::createMethodCall(kService, kPath, kService, "GetCapabilities");
        QDBusPendingCall reply = QDBusConnection::sessionBus().asyncCall(ping);
        EXPECT_TRUE(QTest::qWaitFor([&] { return reply.isFinished(); }, kPatience));
        QCoreApplication::processEvents();
        QStringList summaries;
        for (const QStringList& notice : server.shown) summaries << notice[2];
        return summaries;
    }
    void Click(uint id) {
        serverBus_->send(QDBusMessage::createSignal(kPath, kService, "ActionInvoked") << id << QString("default"));
    }

    FakeNotificationServer server;

private:
    std::optional<QDBusConnection> serverBus_;
    static inline QProcess* daemon_ = nullptr;
};

// Each appointment once at its time, none for the past; "aviso" sets the lead
// and 0 stops them; a click on a reminder shows today.
TEST_F(RemindersTest, EachAppointmentOnceAtItsTimeAvisoSetsTheLeadAndAClickShowsToday) {
    Store({"31/12/2026 09:00 Pasada", "31/12/2026 10:00 Ana", "31/12/2026 10:03 Luis <b>", "31/12/2026 12:50 Bea",
           "31/12/2026 13:30 Eli"});
    ASSERT_TRUE(AppendAppointment(folder, "31/12/2026", "10:30", "600111222", "Eva", "Revisi\xF3n & cobro").Stored());
    StartServer();
    OpenAt(9, 55);
    ASSERT_EQ(Shown(), QStringList{"Citas en los próximos 10 minutos"});  // what is due at the start, at once
    EXPECT_EQ(server.shown[0][3], "10:00 Ana\n10:03 Luis &lt;b&gt;");
    RunUntil(10, 19, 59);
    EXPECT_EQ(Shown().size(), 1);
    RunUntil(10, 20);
    ASSERT_EQ(Shown().size(), 2);
    EXPECT_EQ(server.shown[1], QStringList({"Quimbaro", "org.quimbaro.Quimbaro", "10:30 Eva",
                                            "Revisión &amp; cobro\n600 11 12 22", "default",
                                            "org.quimbaro.Quimbaro", "128x128"}));  // the program's icon
    // Added during the run: told at once when already due, else at its time.
    for (const char* line : {"10:29|1|Nuevo|x", "10:50|1|Luego|x", "10:20|1|Tarde|x"}) Type(QString("31/12/2026|") + line);
    EXPECT_EQ(Shown().mid(2), QStringList{"10:29 Nuevo"});
    RunUntil(12, 0);
    EXPECT_EQ(Shown().mid(2), QStringList({"10:29 Nuevo", "10:50 Luego"}));

    Type("aviso 60");  // looked at again at once
    EXPECT_EQ(Shown().mid(4), QStringList{"12:50 Bea"});
    Type("AVISO 0");
    RunUntil(14, 0);
    EXPECT_EQ(Shown().size(), 5);
    Type("30/12/2026");
    Click(99);  // not one of ours
    Shown();
    EXPECT_TRUE(Marked(2026, 12, 30, kGold));
    Click(1);
    EXPECT_TRUE(QTest::qWaitFor([this] { return Cell(2, 1) == "Pasada"; }, kPatience));
    EXPECT_TRUE(Marked(2026, 12, 31, kGold));
}

// Started, the service looks at the clock by itself: moved on, a due reminder
// comes with nobody calling Tick.
TEST_F(RemindersTest, StartArmsTheTimerThatLooksAtTheClock) {
    Store("31/12/2026", "10:10", "Ana");
    StartServer();
    now = {today, (9 * 60 + 55) * 60};
    const int16_t lead = 10;
    ReminderService service({folder, [this] { return now; }, lead, 1});
    service.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.CurrentState() == ReminderService::State::Running; }, kPatience));
    EXPECT_EQ(Shown(), QStringList());
    now.secondOfDay = 10 * 3600;
    EXPECT_TRUE(QTest::qWaitFor([this] { return !server.shown.empty(); }, kPatience));
    // Each answered call lets go of what waited for it: a window open for months piles nothing up.
    EXPECT_TRUE(QTest::qWaitFor([&] { return service.findChildren<QDBusPendingCallWatcher*>().isEmpty(); }, kPatience));
}

TEST_F(RemindersTest, WithoutAServerRemindersAreOffAfterOneLine) {
    Store("31/12/2026", "10:00", "Ana");
    ::testing::internal::CaptureStderr();
    OpenAt(9, 55);
    RunUntil(10, 0);
    Type("31/12/2026|10:05|600111222|Luis|x");
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(State(), ReminderService::State::Off);
    EXPECT_EQ(QString::fromStdString(errors).count("Quimbaro: "), 1) << errors;  // one line, once
    EXPECT_NE(errors.find("Quimbaro: sin servidor de notificaciones"), std::string::npos) << errors;
    EXPECT_EQ(ReadFile(folder / "2026.log").size(), 2 * kRecordSize);  // the book works as ever
}

}  // namespace
}  // namespace quimbaro::testing

#include "reminders_test.moc"
