#include "OpenedShown.h"

#include "SearchListModel.h"

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

QVariant OpenedShown::operator()(const QModelIndex& index, int role) const
{
    if (role != Qt::ToolTipRole && role != Qt::AccessibleDescriptionRole && role != Qt::DecorationRole)
        return {};
    const QVariant time = index.data(SearchListModel::kOpenedTimeRole);
    if (role != Qt::DecorationRole)
        return openedText(
            time.isValid() ? std::optional<qint64>(time.toLongLong()) : std::nullopt, QDateTime::currentDateTime());
    if (!time.isValid())
        return {};
    // Painting asks for every row shown: the day is worked out once.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (now < todayFrom_ || now >= todayTo_) {
        const QDate today = QDate::currentDate();
        todayFrom_ = today.startOfDay().toSecsSinceEpoch();
        todayTo_ = today.addDays(1).startOfDay().toSecsSinceEpoch();
    }
    const qint64 seconds = time.toLongLong();
    return seconds >= todayFrom_ && seconds < todayTo_ ? QVariant(checkMark()) : QVariant();
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
