#include "HandOver.h"

#include "LauncherQueue.h"
#include "Process.h"

#include <QCoreApplication>
#include <QList>
#include <QUrl>
#include <cstring>

namespace quillmoor {

namespace {

    // Far longer than any address the window sends; a line past it is no
    // address, and is dropped without being kept whole in memory.
    constexpr qsizetype kLongestLine = qsizetype(1) << 20;

    // Only web pages go on to the launcher: a file's address, a script or
    // an option would be acted on by whatever program it reaches.
    void addPage(QList<QUrl>& pages, const QByteArray& line)
    {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty())
            return;
        const QUrl url = QUrl::fromEncoded(trimmed);
        const QString scheme = url.scheme();
        if (url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty())
            pages << url;
    }

    // The pages on standard input, one a line, as far as it can be read:
    // false when reading failed (a folder, a closed descriptor), which no
    // retry would mend.
    bool readPages(QList<QUrl>& pages)
    {
        QByteArray pending;
        bool overlong = false;
        char buffer[65536];
        for (;;) {
            const qint64 got = os::readStandardInput(buffer, sizeof buffer);
            // A last line cut short by a failure may be a different address.
            if (got <= 0) {
                if (got == 0 && !overlong)
                    addPage(pages, pending);
                return got == 0;
            }
            pending.append(buffer, qsizetype(got));
            qsizetype start = 0;
            for (qsizetype end = 0; (end = pending.indexOf('\n', start)) >= 0; start = end + 1) {
                if (!overlong)
                    addPage(pages, pending.mid(start, end - start));
                overlong = false;
            }
            pending.remove(0, start);
            if (pending.size() > kLongestLine) {
                pending.clear();
                overlong = true;
            }
        }
    }

} // namespace

std::optional<int> runHandOverMode(int& argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[1], LauncherQueue::kHandOverOption) != 0)
        return std::nullopt;
    // Started from /proc/self/exe, the process would be called "exe" in
    // ps and top.
    os::nameThisProcess("quillmoor");
    QCoreApplication application(argc, argv);
    const qint64 previous = QByteArray(argv[2]).toLongLong();
    const int left = QByteArray(argv[3]).toInt();

    QList<QUrl> pages;
    // What could be read before a failure is still handed over; the status
    // says that not all was.
    const int status = readPages(pages) ? 0 : 1;
    // Nobody is left to read a report: the window is gone.
    LauncherQueue queue([](const QString&, int, const QString&) {});
    queue.waitFor(previous, left);
    for (const QUrl& page : std::as_const(pages))
        queue.open(page, QStringLiteral("handOver"), 0);
    if (!queue.busy())
        return status;
    QObject::connect(&queue, &LauncherQueue::busyChanged, &application, [status](bool busy) {
        if (!busy)
            QCoreApplication::exit(status);
    });
    return application.exec();
}

} // namespace quillmoor
