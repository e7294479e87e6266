#include "OpenedTimes.h"

#include <QCoreApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPen>

namespace quillmoor {

namespace {
    class OpenedTexts {
        Q_DECLARE_TR_FUNCTIONS(OpenedTimes)
    };

    // A check mark in a green that stands out on a light list and on a
    // dark one alike, drawn once.
    const QImage& checkMark()
    {
        static const QImage mark = [] {
            QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(QColor(0x3a, 0xa5, 0x4c), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            const QPointF points[] = { { 3.0, 8.5 }, { 6.5, 12.0 }, { 13.0, 4.0 } };
            painter.drawPolyline(points, 3);
            return image;
        }();
        return mark;
    }
} // namespace

void OpenedTimes::record(const QStringList& entries, qint64 seconds)
{
    for (const QString& entry : entries)
        recorded_.insert(entry, seconds);
}

void OpenedTimes::take(const Times& times)
{
    if (taken_.isEmpty()) {
        taken_ = times;
        return;
    }
    for (auto time = times.cbegin(); time != times.cend(); ++time) {
        qint64& kept = taken_[time.key()];
        kept = qMax(kept, time.value());
    }
}

std::optional<qint64> OpenedTimes::of(const QString& entry) const
{
    const auto taken = taken_.constFind(entry);
    const auto recorded = recorded_.constFind(entry);
    if (taken == taken_.cend())
        return recorded == recorded_.cend() ? std::nullopt : std::optional<qint64>(recorded.value());
    return recorded == recorded_.cend() ? taken.value() : qMax(taken.value(), recorded.value());
}

bool OpenedTimes::openedOn(const QString& entry, const QDateTime& now) const
{
    const std::optional<qint64> seconds = of(entry);
    return seconds && QDateTime::fromSecsSinceEpoch(*seconds).toLocalTime().date() == now.toLocalTime().date();
}

QVariant OpenedTimes::data(const QString& entry, int role, const QDateTime& now) const
{
    switch (role) {
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return openedText(of(entry), now);
    case Qt::DecorationRole:
        return openedOn(entry, now) ? QVariant(checkMark()) : QVariant();
    default:
        return {};
    }
}

QString openedText(std::optional<qint64> seconds, const QDateTime& now)
{
    if (!seconds)
        return OpenedTexts::tr("Not opened yet");
    const QDateTime when = QDateTime::fromSecsSinceEpoch(*seconds).toLocalTime();
    // A time past the years a date can show (a record another program
    // wrote, say) tells nothing of when.
    if (!when.isValid() || !when.date().isValid() || !when.time().isValid())
        return OpenedTexts::tr("Opened at an unknown time");
    const QString time = QLocale().toString(when.time(), QLocale::ShortFormat);
    const qint64 days = when.date().daysTo(now.toLocalTime().date());
    if (days == 0)
        return OpenedTexts::tr("Opened today at %1").arg(time);
    if (days == 1)
        return OpenedTexts::tr("Opened yesterday at %1").arg(time);
    if (days > 1)
        return OpenedTexts::tr("Opened %n days ago", nullptr, int(qMin<qint64>(days, 1 << 30)));
    // A clock set back since: the date says what can be said.
    return OpenedTexts::tr("Opened on %1").arg(QLocale().toString(when, QLocale::ShortFormat));
}

} // namespace quillmoor
