#include "LocationFile.h"

#include "Failure.h"
#include "LocationLine.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QStringMatcher>

namespace quillmoor {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("LocationFile", text);
}

// Large enough that a filter keystroke makes few system calls, small enough
// that a file of hundreds of megabytes is never held twice in memory.
constexpr qint64 kChunkBytes = 1 << 20;

} // namespace

LocationFile::LocationFile(const QString &path)
    : file_(path)
{
    if (!file_.open(QIODevice::ReadOnly))
        throw Failure(tr("The location file \"%1\" could not be opened: %2.").arg(path, file_.errorString()));
}

QString LocationFile::pathIn(const QString &folder)
{
    return folder + QStringLiteral("/list.txt");
}

template <class LineSink>
std::optional<QString> LocationFile::forEachLine(LineSink &&sink)
{
    QStringDecoder decoder(QStringDecoder::System);
    QByteArray bytes(kChunkBytes, Qt::Uninitialized);
    QString text;       // the unfinished last line of the chunks read so far, then the next chunk
    bool skipLF = false; // the previous chunk ended in CR: an LF at the start belongs to it
    qsizetype number = 0;

    for (;;) {
        const qint64 got = file_.read(bytes.data(), bytes.size());
        if (got < 0)
            throw Failure(tr("The location file \"%1\" could not be read: %2.").arg(file_.fileName(), file_.errorString()));
        const bool atEnd = got == 0;
        text += atEnd ? decoder.decode(QByteArrayView()) : decoder.decode(QByteArrayView(bytes.constData(), got));

        const QStringView all(text);
        qsizetype start = 0;
        if (skipLF && !all.isEmpty()) {
            if (all.front() == u'\n')
                start = 1;
            skipLF = false;
        }
        // Two vectorised searches, one for each kind of line end, instead of
        // testing every character against both.
        qsizetype nextCR = all.indexOf(u'\r', start);
        qsizetype nextLF = all.indexOf(u'\n', start);
        for (;;) {
            if (nextCR >= 0 && nextCR < start)
                nextCR = all.indexOf(u'\r', start);
            if (nextLF >= 0 && nextLF < start)
                nextLF = all.indexOf(u'\n', start);
            qsizetype end = nextCR < 0 ? nextLF : (nextLF < 0 ? nextCR : qMin(nextCR, nextLF));
            if (end < 0)
                break;
            qsizetype next = end + 1;
            if (all[end] == u'\r') {
                if (next < all.size()) {
                    if (all[next] == u'\n')
                        ++next;
                } else {
                    skipLF = true;
                }
            }
            if (!sink(all.sliced(start, end - start), ++number))
                return badLine(number, all.sliced(start, end - start));
            start = next;
        }
        if (atEnd) {
            // A last line without a line break counts like any other.
            if (start < all.size() && !sink(all.sliced(start), ++number))
                return badLine(number, all.sliced(start));
            return std::nullopt;
        }
        text.remove(0, start);
    }
}

QString LocationFile::badLine(qsizetype number, QStringView line) const
{
    const QString shown = line.left(80).toString();
    const QString what = line.isEmpty()                         ? tr("is empty")
        : LocationLine::fieldCount(line) == 1 ? tr("has no comma (\"%1\")").arg(shown)
                                              : tr("has only two fields (\"%1\")").arg(shown);
    return tr("Line %1 of the location file \"%2\" %3; every line needs an address, a name and an addition, "
              "separated by commas.")
        .arg(number)
        .arg(file_.fileName(), what);
}

std::optional<QString> LocationFile::read(QStringView filter, ItemBatch &out)
{
    const QStringMatcher matcher(filter, Qt::CaseInsensitive);
    QString joined; // reused for names with an addition, so matching allocates nothing
    const QStringView separator = u", ";
    return forEachLine([&](QStringView line, qsizetype) {
        const std::optional<LocationLine> location = LocationLine::split(line);
        if (!location)
            return false;
        if (location->addition.isEmpty()) {
            if (filter.isEmpty() || matcher.indexIn(location->name) >= 0)
                out.add(location->address, {location->name});
        } else {
            bool match = filter.isEmpty();
            if (!match) {
                joined.clear();
                joined.append(location->name).append(separator).append(location->addition);
                match = matcher.indexIn(joined) >= 0;
            }
            if (match)
                out.add(location->address, {location->name, separator, location->addition});
        }
        return true;
    });
}

qsizetype LocationFile::readAndSplit()
{
    qsizetype fields = 0;
    forEachLine([&](QStringView line, qsizetype) {
        const std::optional<LocationLine> location = LocationLine::split(line);
        fields += location ? location->address.size() : 0;
        return location.has_value();
    });
    return fields;
}

} // namespace quillmoor
