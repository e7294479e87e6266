#include "HandOver.h"

#include "LauncherQueue.h"

#include <QCoreApplication>
#include <QFile>
#include <cstring>

namespace quillmoor {

std::optional<int> runHandOverMode(int& argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[1], LauncherQueue::kHandOverOption) != 0)
        return std::nullopt;
    QCoreApplication application(argc, argv);
    const qint64 previous = QByteArray(argv[2]).toLongLong();
    const int left = QByteArray(argv[3]).toInt();

    QFile list;
    if (!list.open(stdin, QIODevice::ReadOnly))
        return 1;
    // Nobody is left to read a report: the window is gone.
    LauncherQueue queue([](const QString&, int, const QString&) {});
    queue.waitFor(previous, left);
    while (!list.atEnd()) {
        const QByteArray line = list.readLine().trimmed();
        if (!line.isEmpty())
            queue.open(QUrl::fromEncoded(line), QStringLiteral("handOver"), 0);
    }
    if (!queue.busy())
        return 0;
    QObject::connect(&queue, &LauncherQueue::busyChanged, &application, [](bool busy) {
        if (!busy)
            QCoreApplication::quit();
    });
    return application.exec();
}

} // namespace quillmoor
