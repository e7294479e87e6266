#include "SearchesFile.h"

#include "BookmarksHtml.h"
#include "CarefulFile.h"
#include "EntryText.h"
#include "Failure.h"
#include "FileCalls.h"
#include "LineSplitter.h"
#include "Process.h"
#include "TextDecoder.h"

#include <QSaveFile>
#include <QStringDecoder>
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
    // Replaces an ordinary file through a staged copy renamed over `target`
    // (never through a link there); a full disk is named as the system
    // names it.
    void replaceWhole(const QString& target, const QString& path, const QByteArray& bytes)
    {
        QSaveFile file(target);
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
    writeSearchesFileBytes(path, searchesFileBytes(entries), settingsFile);
}

void writeSearchesFileBytes(const QString& path, const QByteArray& bytes, const QString& settingsFile)
{
    // The links are resolved once, and what follows works on the path they
    // lead to: the name checked is the name written.
    QString resolved;
    try {
        resolved = resolveLinks(path);
    } catch (const FileTrouble& why) {
        throw cannotWrite(path, why.text);
    }
    const os::PathKind target = os::pathKind(resolved);
    if (target.error != 0)
        throw cannotWrite(path, errnoText(target.error));
    if (isSettingsFile(resolved, target, settingsFile))
        throw cannotWrite(path, SearchStoreText::tr("it is the settings file, which holds more than the searches"));
    if (!target.exists || target.ordinary || target.folder)
        replaceWhole(resolved, path, bytes);
    else if (const int error = os::writeInto(resolved, bytes))
        throw cannotWrite(path, errnoText(error));
}

namespace {

    // The searches file opened, checked and read a pass at a time: a pass
    // runs from the first byte to the last, handing each entry over as its
    // line ends, and the file must not change meanwhile.
    class SearchesFileReading {
    public:
        SearchesFileReading(const QString& path, const std::function<void(QString&& entry)>& take)
            : path_(path)
            , take_(take)
        {
            // Through another user's link in a shared folder a private file
            // of this user's would become the saved list.
            QString resolved;
            try {
                resolved = resolveLinks(path);
            } catch (const FileTrouble& why) {
                throw cannotRead(path, why.text);
            }
            file_ = os::openOrdinaryFile(resolved);
            if (file_.error != 0)
                throw cannotRead(path, errnoText(file_.error));
            if (!file_.exists)
                throw cannotRead(path, SearchStoreText::tr("there is no such file"));
            if (!file_.ordinary)
                throw cannotRead(path, SearchStoreText::tr("it is not an ordinary file"));
            if (file_.size > kLargestSearchesFile) {
                os::closeDescriptor(file_.fd);
                throw cannotRead(
                    path, SearchStoreText::tr("it is larger than 256 MB, far more than any list of searches"));
            }
        }
        ~SearchesFileReading() { os::closeDescriptor(file_.fd); }
        SearchesFileReading(const SearchesFileReading&) = delete;
        SearchesFileReading& operator=(const SearchesFileReading&) = delete;

        // One pass from the first byte to the last; false when the file was
        // wrongly taken for UTF-8 and is to be read again.
        bool pass(bool first)
        {
            NotText notText;
            qsizetype carried = 0;
            qint64 total = 0;
            for (bool last = false; !last;) {
                int error = 0;
                const qint64 got = os::readSome(file_.fd, bytes_.data() + carried, kReadBytes, &error);
                if (got < 0)
                    throw cannotRead(path_, errnoText(error));
                if (first && total == 0)
                    decoder_.lookAtStart(QByteArrayView(bytes_.constData(), qMin<qint64>(got, kStartLooked)));
                total += got;
                if (total > file_.size)
                    throw changed();
                last = got == 0;
                if (!decode(carried, qsizetype(got), last, notText))
                    return false;
            }
            checkWhole(total, notText);
            return true;
        }

        // Whether the file starts as a browser's bookmarks file. A web page
        // of another kind is refused: its lines are no searches.
        bool isBookmarks()
        {
            int error = 0;
            const qint64 got = os::readSome(file_.fd, bytes_.data(), kStartLooked, &error);
            if (got < 0)
                throw cannotRead(path_, errnoText(error));
            rewind();
            const QByteArrayView start(bytes_.constData(), got);
            if (looksLikeWebPage(start))
                throw Failure(SearchStoreText::tr("The file %1 is a web page, not a bookmarks file or a list of "
                                                  "searches.")
                                  .arg(path_));
            return looksLikeBookmarks(start);
        }

        // Hands on the links of a bookmarks file, read whole: the tags of a
        // folder may be anywhere in it. In the character set its head names,
        // else in UTF-8 when valid, else Windows-1252.
        void forEachLink(const std::function<void(Bookmark&& link)>& take)
        {
            QByteArray whole(file_.size, Qt::Uninitialized);
            qint64 total = 0;
            for (qint64 got = 1; got > 0 && total < file_.size; total += got) {
                int error = 0;
                got = os::readSome(file_.fd, whole.data() + total, file_.size - total, &error);
                if (got < 0)
                    throw cannotRead(path_, errnoText(error));
            }
            whole.truncate(total);
            checkWhole(total, NotText());
            QString text;
            QStringDecoder named(bookmarksCharset(whole).constData());
            if (named.isValid() && qstrcmp(named.name(), "UTF-8") != 0) {
                text = named.decode(whole);
            } else {
                decoder_.lookAtStart(whole.first(qMin<qsizetype>(total, kStartLooked)));
                if (decoder_.decode(whole, true, text) == TextDecoder::kStartAgain)
                    decoder_.decode(whole, true, text); // as Windows-1252 now
            }
            whole = QByteArray();
            forEachBookmark(text, take);
        }

        // Back to the first byte, for another pass.
        void rewind()
        {
            lines_.clear();
            if (const int error = os::rewind(file_.fd))
                throw cannotRead(path_, errnoText(error));
        }

    private:
        Failure changed() const { return cannotRead(path_, SearchStoreText::tr("it changed while it was read")); }
        Failure noText() const { return Failure(SearchStoreText::tr("The file %1 holds no text.").arg(path_)); }

        // Decodes the `carried` bytes a read left undecoded and the `got`
        // it read after them, and hands on the lines they end; false as
        // pass() answers.
        bool decode(qsizetype& carried, qsizetype got, bool last, NotText& notText)
        {
            text_.resize(0);
            const qsizetype have = carried + got;
            const qsizetype used = decoder_.decode(QByteArrayView(bytes_.constData(), have), last, text_);
            if (used == TextDecoder::kStartAgain)
                return false;
            carried = have - used;
            std::memmove(bytes_.data(), bytes_.constData() + used, size_t(carried));
            notText.count(text_);
            // No code page makes a NUL into text.
            if (notText.nul)
                throw noText();
            lines_.split(text_, last, [this](QStringView line) { takeLine(line); });
            return true;
        }

        void takeLine(QStringView line)
        {
            if (decoder_.encoding() == TextDecoder::Encoding::Windows1252)
                line = withoutWindowsMark(line);
            QString entry = entryText(line);
            if (!entry.isEmpty())
                take_(std::move(entry));
        }

        // The pass read the file as it was opened, and found it text.
        void checkWhole(qint64 total, const NotText& notText) const
        {
            qint64 size = 0, time = 0;
            if (const int error = os::fileState(file_.fd, &size, &time))
                throw cannotRead(path_, errnoText(error));
            if (total != file_.size || size != file_.size || time != file_.changed)
                throw changed();
            if (notText.mostly())
                throw noText();
        }

        const QString& path_;
        const std::function<void(QString&& entry)>& take_;
        os::OpenedFile file_;
        TextDecoder decoder_;
        QByteArray bytes_ = QByteArray(kReadBytes + TextDecoder::kLongestCut, Qt::Uninitialized);
        QString text_;
        LineSplitter lines_;
    };

} // namespace

void forEachSearchInFile(const QString& path, const std::function<void(QString&& entry)>& take,
    const std::function<void()>& restart, const std::function<void(Bookmark&& link)>& takeLink)
{
    SearchesFileReading reading(path, take);
    if (takeLink && reading.isBookmarks()) {
        reading.forEachLink(takeLink);
        return;
    }
    for (bool first = true; !reading.pass(first); first = false) {
        restart();
        reading.rewind();
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
