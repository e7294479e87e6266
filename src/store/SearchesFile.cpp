#include "SearchesFile.h"

#include "CarefulFile.h"
#include "EntryText.h"
#include "Failure.h"
#include "FileCalls.h"
#include "LineSplitter.h"
#include "Process.h"
#include "TextDecoder.h"

#include <QSaveFile>
#include <QScopeGuard>
#include <cstring>

namespace quillmoor {

namespace {

    // Enough of the start for the decoder to tell UTF-16 without a mark by
    // its first line.
    constexpr qsizetype kStartLooked = 4096;
    // One read: large enough for few system calls, small beside the file.
    constexpr qint64 kReadBytes = qint64(1) << 20;

    QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

    Failure cannotRead(const QString& path, const QString& reason)
    {
        return Failure(SearchStoreText::tr("The file %1 cannot be read: %2.").arg(path, reason));
    }

    Failure cannotWrite(const QString& path, const QString& reason)
    {
        return Failure(SearchStoreText::tr("The file %1 cannot be written: %2.").arg(path, reason));
    }

    // Whether `path` names the settings file, by its own name, a link or
    // another hard link to it.
    bool isSettingsFile(const QString& path, const os::PathKind& target, const QString& settingsFile)
    {
        const os::PathKind settings = os::pathKind(settingsFile);
        if (target.exists && settings.exists)
            return target.device == settings.device && target.inode == settings.inode;
        try {
            return !target.exists && !settings.exists && resolveLinks(path) == resolveLinks(settingsFile);
        } catch (const FileTrouble&) {
            return false;
        }
    }

    // Replaces an ordinary file through a staged copy; a full disk is named
    // as the system names it.
    void replaceWhole(const QString& path, const QByteArray& bytes)
    {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            throw cannotWrite(path, file.errorString());
        if (const int error = os::writeAll(file.handle(), bytes)) {
            file.cancelWriting();
            throw cannotWrite(path, errnoText(error));
        }
        if (!file.commit())
            throw cannotWrite(path, file.errorString());
    }

    // What one pass over the file found that is no text.
    struct NotText {
        qint64 characters = 0;
        qint64 controls = 0; // besides tab and line ends
        bool nul = false;

        void count(QStringView text)
        {
            characters += text.size();
            for (const QChar c : text) {
                const char16_t u = c.unicode();
                if (isEntryControl(u) && u != u'\n' && u != u'\r') {
                    ++controls;
                    nul = nul || u == 0;
                }
            }
        }
        bool mostly() const { return controls * 10 > characters; }
    };

    // A line of a file in Windows-1252 may start with a UTF-8 byte-order
    // mark read as that code page, where a file in UTF-8 was joined to it.
    QStringView withoutWindowsMark(QStringView line)
    {
        while (line.startsWith(u"\u00EF\u00BB\u00BF"))
            line = line.sliced(3);
        return line;
    }

} // namespace

QByteArray searchesFileBytes(const QStringList& entries)
{
    QString text;
    qsizetype size = 0;
    for (const QString& entry : entries)
        size += entry.size() + 1;
    text.reserve(size);
    for (const QString& entry : entries) {
        // Whatever the settings file held, one entry stays one line.
        const QString line = entryText(entry);
        if (!line.isEmpty())
            text.append(line).append(u'\n');
    }
    return text.toUtf8();
}

void writeSearchesFile(const QString& path, const QStringList& entries, const QString& settingsFile)
{
    if (const QString why = linkTrouble(path); !why.isEmpty())
        throw cannotWrite(path, why);
    const os::PathKind target = os::pathKind(path);
    if (target.error != 0)
        throw cannotWrite(path, errnoText(target.error));
    if (isSettingsFile(path, target, settingsFile))
        throw cannotWrite(path, SearchStoreText::tr("it is the settings file, which holds more than the searches"));
    const QByteArray bytes = searchesFileBytes(entries);
    if (!target.exists || target.ordinary || target.folder)
        replaceWhole(path, bytes);
    else if (const int error = os::writeInto(path, bytes))
        throw cannotWrite(path, errnoText(error));
}

void forEachSearchInFile(
    const QString& path, const std::function<void(QString&& entry)>& take, const std::function<void()>& restart)
{
    const os::OpenedFile file = os::openOrdinaryFile(path);
    if (file.error != 0)
        throw cannotRead(path, errnoText(file.error));
    if (!file.exists)
        throw cannotRead(path, SearchStoreText::tr("there is no such file"));
    if (!file.ordinary)
        throw cannotRead(path, SearchStoreText::tr("it is not an ordinary file"));
    int fd = file.fd;
    const auto closeFd = qScopeGuard([&fd] { os::closeDescriptor(fd); });
    if (file.size > kLargestSearchesFile)
        throw cannotRead(path, SearchStoreText::tr("it is larger than 256 MB, far more than any list of searches"));
    const auto changed = [&] { return cannotRead(path, SearchStoreText::tr("it changed while it was read")); };

    TextDecoder decoder;
    QByteArray bytes(kReadBytes + TextDecoder::kLongestCut, Qt::Uninitialized);
    QString text;
    LineSplitter lines;
    const auto takeLine = [&](QStringView line) {
        if (decoder.encoding() == TextDecoder::Encoding::Windows1252)
            line = withoutWindowsMark(line);
        QString entry = entryText(line);
        if (!entry.isEmpty())
            take(std::move(entry));
    };
    // One pass from the first byte to the last; false when the file was
    // wrongly taken for UTF-8 and is to be read again.
    const auto pass = [&](bool first) {
        NotText notText;
        qsizetype carried = 0;
        qint64 total = 0;
        for (bool last = false; !last;) {
            int error = 0;
            const qint64 got = os::readSome(fd, bytes.data() + carried, kReadBytes, &error);
            if (got < 0)
                throw cannotRead(path, errnoText(error));
            if (first && total == 0)
                decoder.lookAtStart(QByteArrayView(bytes.constData(), qMin<qint64>(got, kStartLooked)));
            total += got;
            if (total > file.size)
                throw changed();
            last = got == 0;
            text.resize(0);
            const qsizetype have = carried + qsizetype(got);
            const qsizetype used = decoder.decode(QByteArrayView(bytes.constData(), have), last, text);
            if (used == TextDecoder::kStartAgain)
                return false;
            carried = have - used;
            std::memmove(bytes.data(), bytes.constData() + used, size_t(carried));
            notText.count(text);
            // No code page makes a NUL into text.
            if (notText.nul)
                throw Failure(SearchStoreText::tr("The file %1 holds no text.").arg(path));
            lines.split(text, last, takeLine);
        }
        qint64 size = 0, time = 0;
        if (const int error = os::fileState(fd, &size, &time))
            throw cannotRead(path, errnoText(error));
        if (total != file.size || size != file.size || time != file.changed)
            throw changed();
        if (notText.mostly())
            throw Failure(SearchStoreText::tr("The file %1 holds no text.").arg(path));
        return true;
    };
    for (bool first = true; !pass(first); first = false) {
        restart();
        lines.clear();
        if (const int error = os::rewind(fd))
            throw cannotRead(path, errnoText(error));
    }
}

QStringList readSearchEntries(const QString& path)
{
    QStringList entries;
    forEachSearchInFile(
        path, [&](QString&& entry) { entries.append(std::move(entry)); }, [&] { entries.clear(); });
    return entries;
}

} // namespace quillmoor
