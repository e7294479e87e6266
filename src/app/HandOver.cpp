#include "HandOver.h"

#include "Failure.h"
#include "LauncherQueue.h"
#include "OpenedRecord.h"
#include "PageInput.h"
#include "Platform.h"
#include "Process.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>
#include <QUrl>
#include <climits>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <utility>

namespace quillmoor {

namespace {

    // The window waits two seconds at most for a launcher; what is left of
    // that comes along. More would keep the pages waiting for days.
    constexpr qint64 kLongestWaitMs = 5000;
    // The slowest pace the window offers, with room to spare.
    constexpr qint64 kSlowestPaceMs = 60000;

    bool numberIn(const char* text, qint64 most, qint64* number)
    {
        bool ok = false;
        *number = QByteArray(text).toLongLong(&ok);
        return ok && *number >= 0 && *number <= most;
    }

    // The searches of each page counted as opened when the page goes, not
    // before: kept in the settings file within a second of going (a save
    // of a long list takes a while, so several go in one), and all of them
    // before the process ends. Should it die, what went up to a second
    // before is kept.
    class OpenedAsTheyGo {
    public:
        explicit OpenedAsTheyGo(const QString& settingsFile)
            : file_(settingsFile)
        {
            soon_.setSingleShot(true);
            soon_.setInterval(1000);
            QObject::connect(&soon_, &QTimer::timeout, [this] { keep(); });
        }
        ~OpenedAsTheyGo() { keep(); }
        void expect(const QUrl& page, const QByteArray& note) { expected_.emplace_back(page, note); }
        void handed(const QUrl& page)
        {
            for (auto expected = expected_.begin(); expected != expected_.end(); ++expected) {
                if (expected->first != page)
                    continue;
                const qint64 now = QDateTime::currentSecsSinceEpoch();
                for (const QString& entry : entriesOfNote(expected->second))
                    opened_.insert(entry, now);
                expected_.erase(expected);
                if (!soon_.isActive())
                    soon_.start();
                return;
            }
        }

    private:
        void keep()
        {
            soon_.stop();
            // Nobody is left to read a report: the window is gone.
            try {
                keepOpenedTimes(file_, std::exchange(opened_, {}));
            } catch (const Failure&) {
            }
        }
        QString file_;
        std::deque<std::pair<QUrl, QByteArray>> expected_;
        OpenedRecord opened_;
        QTimer soon_;
    };

} // namespace

std::optional<int> runHandOverMode(int& argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], kHandOverOption) != 0)
        return std::nullopt;
    qint64 previous = 0;
    qint64 left = 0;
    qint64 pace = 0;
    if ((argc != 4 && argc != 5) || !numberIn(argv[2], INT_MAX, &previous) || !numberIn(argv[3], kLongestWaitMs, &left)
        || (argc == 5 && !numberIn(argv[4], kSlowestPaceMs, &pace))) {
        std::fprintf(stderr,
            "quillmoor: %s takes a process id, a wait of at most %lld ms and a pace of at most %lld ms\n",
            kHandOverOption, kLongestWaitMs, kSlowestPaceMs);
        return 2;
    }
    // Started from /proc/self/exe, the process would be called "exe" in
    // ps and top.
    os::nameThisProcess("quillmoor");
    QCoreApplication application(argc, argv);

    // Nobody is left to read a report: the window is gone.
    LauncherQueue queue([](const QString&, int, const QString&) {});
    // The window sent only what it meant to open, repeats included.
    queue.setDropRepeats(false);
    // The pace the window kept goes on, counted from the page it handed
    // over last.
    queue.setPaceMs(int(pace));
    queue.waitFor(previous, int(left));
    OpenedAsTheyGo opened(userSettingsFile());
    QObject::connect(&queue, &LauncherQueue::handed, &application, [&](const QUrl& page) { opened.handed(page); });
    // One page waits in the queue at a time; the next is read when it has
    // gone to the browser. What could be read before a failure is still
    // handed over; the status says that not all was.
    PageInput input([](char* buffer, qint64 size) { return os::readStandardInput(buffer, size); });
    bool inputDone = false;
    const auto status = [&] { return input.failed() ? 1 : 0; };
    const auto feed = [&] {
        if (inputDone || queue.waiting())
            return;
        if (const std::optional<QUrl> page = input.next()) {
            opened.expect(*page, input.note());
            queue.open(*page, QStringLiteral("handOver"), 0);
        } else
            inputDone = true;
        if (inputDone && !queue.busy())
            QCoreApplication::exit(status());
    };
    QObject::connect(&queue, &LauncherQueue::progress, &application, feed, Qt::QueuedConnection);
    QObject::connect(&queue, &LauncherQueue::busyChanged, &application, [&](bool busy) {
        if (inputDone && !busy)
            QCoreApplication::exit(status());
    });
    QMetaObject::invokeMethod(&application, feed, Qt::QueuedConnection);
    return application.exec();
}

} // namespace quillmoor
