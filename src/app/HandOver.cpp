#include "HandOver.h"

#include "LauncherQueue.h"
#include "Process.h"

#include <QCoreApplication>
#include <QUrl>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>

namespace quillmoor {

namespace {

    // Far longer than any address the window sends; a line past it is no
    // address, and is dropped without being kept whole in memory.
    constexpr qsizetype kLongestLine = qsizetype(1) << 20;
    // The window waits two seconds at most for a launcher; what is left of
    // that comes along. More would keep the pages waiting for days.
    constexpr qint64 kLongestWaitMs = 5000;
    // The slowest pace the window offers, with room to spare.
    constexpr qint64 kSlowestPaceMs = 60000;

    // Only web pages go on to the launcher: a file's address, a script or
    // an option would be acted on by whatever program it reaches.
    std::optional<QUrl> pageOf(QByteArrayView line)
    {
        const QByteArray trimmed = line.trimmed().toByteArray();
        if (trimmed.isEmpty())
            return std::nullopt;
        const QUrl url = QUrl::fromEncoded(trimmed);
        const QString scheme = url.scheme();
        if (url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty())
            return url;
        return std::nullopt;
    }

    // The pages on standard input, one a line, read only as far as the next
    // page: however long the input, or endless, memory holds one read and
    // one line of it.
    class PageInput {
    public:
        // The next page, or nothing at the end of the input or where it
        // could not be read further.
        std::optional<QUrl> next();
        // Reading failed (a folder, a closed descriptor), which no retry
        // would mend.
        bool failed() const { return failed_; }

    private:
        QByteArray pending_;
        qsizetype start_ = 0;
        bool overlong_ = false; // the line read now is past the longest
        bool ended_ = false;
        bool failed_ = false;
    };

    std::optional<QUrl> PageInput::next()
    {
        for (;;) {
            const qsizetype end = pending_.indexOf('\n', start_);
            if (end >= 0) {
                const bool skipped = overlong_;
                overlong_ = false;
                const QByteArrayView line(pending_.constData() + start_, end - start_);
                start_ = end + 1;
                if (std::optional<QUrl> page = skipped ? std::nullopt : pageOf(line))
                    return page;
                continue;
            }
            if (ended_)
                return std::nullopt;
            pending_.remove(0, start_);
            start_ = 0;
            if (pending_.size() > kLongestLine) {
                pending_.clear();
                overlong_ = true;
            }
            char buffer[65536];
            const qint64 got = os::readStandardInput(buffer, sizeof buffer);
            if (got <= 0) {
                ended_ = true;
                failed_ = got < 0;
                // A last line cut short by a failure may be a different address.
                const QByteArray last = got == 0 && !overlong_ ? pending_ : QByteArray();
                pending_.clear();
                return pageOf(last);
            }
            pending_.append(buffer, qsizetype(got));
        }
    }

    bool numberIn(const char* text, qint64 most, qint64* number)
    {
        bool ok = false;
        *number = QByteArray(text).toLongLong(&ok);
        return ok && *number >= 0 && *number <= most;
    }

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
    // One page waits in the queue at a time; the next is read when it has
    // gone to the browser. What could be read before a failure is still
    // handed over; the status says that not all was.
    PageInput input;
    bool inputDone = false;
    const auto status = [&] { return input.failed() ? 1 : 0; };
    const auto feed = [&] {
        if (inputDone || queue.waiting())
            return;
        if (const std::optional<QUrl> page = input.next())
            queue.open(*page, QStringLiteral("handOver"), 0);
        else
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
