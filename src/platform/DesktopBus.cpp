#include "DesktopBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <unistd.h>

namespace quillmoor::os {

namespace {
    const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
    const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
    const QString kStopPath = QStringLiteral("/example/marrowfen/quillmoor/Opening");
    const QString kStopInterface = QStringLiteral("example.marrowfen.quillmoor.Opening");
    // A service that takes longer than this is as good as none.
    constexpr int kCallMs = 3000;

    QDBusMessage notificationsCall(const QString& method)
    {
        return QDBusMessage::createMethodCall(kNotifications, kNotificationsPath, kNotifications, method);
    }

    QString stopServiceName() { return QString::fromLatin1(kStopServicePrefix) + u'p' + QString::number(::getpid()); }
} // namespace

DesktopNotification::DesktopNotification(QObject* parent)
    : QObject(parent)
{
}

bool DesktopNotification::reachable()
{
    // The bus is reached for the first run that needs it, not at the start.
    if (tried_)
        return connected_;
    tried_ = true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    connected_ = bus.isConnected();
    if (connected_) {
        bus.connect(kNotifications, kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"), this,
            SLOT(onActionInvoked(uint, QString)));
        bus.connect(kNotifications, kNotificationsPath, kNotifications, QStringLiteral("NotificationClosed"), this,
            SLOT(onClosed(uint, uint)));
    }
    return connected_;
}

DesktopNotification::~DesktopNotification()
{
    // The program may end right after: the withdrawal goes before it does.
    if (connected_ && id_ != 0 && shown_) {
        QDBusMessage close = notificationsCall(QStringLiteral("CloseNotification"));
        close << id_;
        QDBusConnection::sessionBus().call(close, QDBus::Block, kCallMs);
    }
}

void DesktopNotification::show(const QString& summary, const QStringList& actions, int percent)
{
    // Dismissed by the user: not pushed on them again in this run.
    if (!reachable() || closedByUser_)
        return;
    if (shown_ && wanted_.summary == summary && wanted_.actions == actions && wanted_.percent == percent)
        return;
    wanted_ = { summary, actions, percent };
    shown_ = true;
    dirty_ = true;
    send();
}

void DesktopNotification::withdraw()
{
    closedByUser_ = false;
    if (!connected_ || !shown_)
        return;
    shown_ = false;
    dirty_ = true;
    send();
}

void DesktopNotification::send()
{
    // One call at a time: an update waits for the id of the first, so it
    // replaces the notification rather than adding a second.
    if (pending_ || !dirty_)
        return;
    dirty_ = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!shown_) {
        if (id_ != 0) {
            QDBusMessage close = notificationsCall(QStringLiteral("CloseNotification"));
            close << id_;
            bus.asyncCall(close, kCallMs);
            id_ = 0;
        }
        return;
    }
    QVariantMap hints { { QStringLiteral("desktop-entry"), QStringLiteral("quillmoor") },
        { QStringLiteral("category"), QStringLiteral("transfer") },
        { QStringLiteral("urgency"), QVariant::fromValue(uchar(1)) }, { QStringLiteral("suppress-sound"), true },
        // Kept when an action is chosen: the program updates or withdraws it.
        { QStringLiteral("resident"), true } };
    if (wanted_.percent >= 0)
        hints.insert(QStringLiteral("value"), wanted_.percent);
    QDBusMessage notify = notificationsCall(QStringLiteral("Notify"));
    // Never expires: it stays within reach until the run ends.
    notify << QStringLiteral("Quillmoor") << id_ << QStringLiteral("quillmoor") << wanted_.summary << QString()
           << wanted_.actions << hints << 0;
    pending_ = true;
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(notify, kCallMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &DesktopNotification::sent);
}

void DesktopNotification::sent(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    pending_ = false;
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        // No service answers: nothing is shown, and nothing more is tried.
        connected_ = false;
        return;
    }
    id_ = reply.value();
    send();
}

void DesktopNotification::onActionInvoked(uint id, const QString& key)
{
    if (id == 0 || id != id_)
        return;
    // Most services close a notification whose action was chosen; that is
    // no dismissal, and what the action leads to is shown.
    acted_ = true;
    emit actionChosen(key);
}

void DesktopNotification::onClosed(uint id, uint reason)
{
    if (id == 0 || id != id_)
        return;
    id_ = 0;
    // 2: dismissed by the user.
    closedByUser_ = shown_ && reason == 2 && !acted_;
    acted_ = false;
    // What is still wanted shows anew.
    dirty_ = shown_ && !closedByUser_;
    send();
}

void showLauncherProgress(const QString& desktopEntry, double done)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage update = QDBusMessage::createSignal(QStringLiteral("/example/marrowfen/quillmoor/launcher"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    update << QStringLiteral("application://%1").arg(desktopEntry)
           << QVariantMap { { QStringLiteral("progress"), qBound(0.0, done, 1.0) },
                  { QStringLiteral("progress-visible"), done >= 0 } };
    bus.send(update);
}

StopService::StopService(std::function<int()> stop, QObject* parent)
    : QObject(parent)
    , stop_(std::move(stop))
{
}

StopService::~StopService() { offer(false); }

void StopService::offer(bool offered)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (offered == offered_ || !bus.isConnected())
        return;
    offered_ = offered;
    if (!registered_)
        registered_ = bus.registerObject(kStopPath, this, QDBusConnection::ExportAllSlots);
    // Asked for and given up without waiting for the bus's answer.
    QDBusMessage name = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
        offered ? QStringLiteral("RequestName") : QStringLiteral("ReleaseName"));
    name << stopServiceName();
    if (offered)
        name << uint(4); // DBUS_NAME_FLAG_DO_NOT_QUEUE
    bus.asyncCall(name, kCallMs);
}

int StopService::Stop() { return offered_ && stop_ ? stop_() : 0; }

StoppedElsewhere stopOpeningElsewhere()
{
    StoppedElsewhere stopped;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        stopped.error = bus.lastError().message();
        return stopped;
    }
    const QStringList names = bus.interface()->registeredServiceNames().value();
    for (const QString& name : names) {
        if (!name.startsWith(QLatin1String(kStopServicePrefix)))
            continue;
        const QDBusMessage reply
            = bus.call(QDBusMessage::createMethodCall(name, kStopPath, kStopInterface, QStringLiteral("Stop")),
                QDBus::Block, kCallMs);
        if (reply.type() != QDBusMessage::ReplyMessage)
            continue;
        ++stopped.copies;
        stopped.pages += reply.arguments().value(0).toInt();
    }
    return stopped;
}

} // namespace quillmoor::os
