#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>

class QProcess;
class QTemporaryFile;

namespace quillmoor {

// The one way from the program to the browser. Addresses are handed to the
// launcher (xdg-open, looked up on PATH at each launch) one at a time, in
// the order they were asked for: the next starts when the previous launcher
// has exited, or once it has run for the grace time, since a launcher that
// turns into the browser itself never exits soon. The window stays usable
// meanwhile; the queue works from the event loop.
//
// What one handler asks for in one go is one action. When all of an
// action's launchers are done, whatever failed in it is reported once.
class LauncherQueue : public QObject {
    Q_OBJECT
public:
    using Report = std::function<void(const QString& procedure, int line, const QString& description)>;
    // Used when the launcher is not on PATH; answers whether anything started.
    using Fallback = std::function<bool(const QUrl& url)>;

    explicit LauncherQueue(Report report, QObject* parent = nullptr);
    ~LauncherQueue() override;

    void setLauncher(const QString& name) { launcher_ = name; }
    void setGraceMs(int ms) { graceMs_ = ms; }
    void setFallback(Fallback fallback) { fallback_ = std::move(fallback); }

    // Queues `url` for the action of `procedure` at `line`. Addresses queued
    // by one handler before the event loop next runs belong to one action.
    void open(const QUrl& url, const QString& procedure, int line);

    // The program is ending: every waiting address is handed to its own
    // launcher now, in order, without waiting for any of them, and nothing
    // more is reported.
    void flush();

    // Addresses are waiting, or the queue waits for a launcher.
    bool busy() const { return !waiting_.empty() || holding_ != nullptr; }

signals:
    void busyChanged(bool busy);

private:
    struct Action;
    struct Entry {
        QUrl url;
        std::shared_ptr<Action> action;
    };
    struct Launch;

    void pump();
    void start(Entry entry);
    void settle(const std::shared_ptr<Action>& action, const QUrl& url, bool taken, const QString& message);
    void release(QProcess* process);
    void finishIfDone(const std::shared_ptr<Action>& action);
    void updateBusy();
    QString located() const;

    Report report_;
    Fallback fallback_;
    QString launcher_ = QStringLiteral("xdg-open");
    int graceMs_ = 2000;
    std::deque<Entry> waiting_;
    std::shared_ptr<Action> gathering_; // the action still taking addresses
    QProcess* holding_ = nullptr; // the launcher the queue waits for
    bool pumpPosted_ = false;
    bool shownBusy_ = false;
    bool ended_ = false;
};

} // namespace quillmoor
