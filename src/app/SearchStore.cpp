#include "SearchStore.h"

#include "Failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmoor {

namespace {

    QString tr(const char* text) { return QCoreApplication::translate("SearchStore", text); }

    // The reason a step failed; each public function turns it into a sentence
    // that names the file.
    struct Why {
        QString text;
    };

    QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

    QString diskFull() { return tr("the disk did not take the whole list (is it full?)"); }

    // How long a save waits for another program that is writing the file.
    constexpr int kLockWaitMs = 10000;

    // --- The file itself -------------------------------------------------

    // People keep their dotfiles elsewhere and link them in: the file to read
    // and replace is the link's final target, which need not exist yet.
    QString resolveLinks(const QString& file)
    {
        QString path = QFileInfo(file).absoluteFilePath();
        for (int depth = 0; depth < 40; ++depth) {
            struct stat st;
            if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISLNK(st.st_mode))
                return path;
            QByteArray target(PATH_MAX, '\0');
            const ssize_t length = ::readlink(QFile::encodeName(path).constData(), target.data(), target.size());
            if (length < 0)
                throw Why { errnoText(errno) };
            target.truncate(length);
            path = QDir::cleanPath(QFileInfo(path).absoluteDir().absoluteFilePath(QFile::decodeName(target)));
        }
        throw Why { tr("its links go round in a circle") };
    }

    struct FileBytes {
        bool exists = false;
        mode_t mode = 0;
        QByteArray bytes;
    };

    // Only an ordinary file is read: a pipe would wait for a writer and a
    // device could answer without end. Opening without blocking lets the
    // check be made on what was really opened.
    FileBytes readOrdinaryFile(const QString& path)
    {
        FileBytes file;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            // Nothing stored yet, or a file where the folder should be: the
            // save says so if it cannot make the folder.
            if (errno == ENOENT || errno == ENOTDIR)
                return file;
            throw Why { errnoText(errno) };
        }
        const auto closeFd = qScopeGuard([fd] { ::close(fd); });
        struct stat st;
        if (::fstat(fd, &st) != 0)
            throw Why { errnoText(errno) };
        if (!S_ISREG(st.st_mode))
            throw Why { tr("it is not an ordinary file") };
        file.exists = true;
        file.mode = st.st_mode & 07777;
        file.bytes.reserve(st.st_size);
        char block[65536];
        for (;;) {
            const ssize_t got = ::read(fd, block, sizeof block);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                throw Why { errnoText(errno) };
            if (got == 0)
                break;
            file.bytes.append(block, got);
        }
        return file;
    }

    void writeAll(int fd, const QByteArray& bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t put = ::write(fd, bytes.constData() + done, bytes.size() - done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                // A short write is the one case of a disk that is full (or a
                // file that may grow no larger).
                if (put == 0 || errno == ENOSPC || errno == EFBIG || errno == EDQUOT)
                    throw Why { diskFull() };
                throw Why { errnoText(errno) };
            }
            done += put;
        }
        if (::fsync(fd) != 0)
            throw Why { errno == ENOSPC || errno == EDQUOT ? diskFull() : errnoText(errno) };
    }

    // A file that cannot be taken as it stands is kept whole beside itself.
    // An earlier copy with other contents is never overwritten. Answers the
    // copy's name, and whether it was made just now.
    std::pair<QString, bool> keepAside(const QString& file, const QByteArray& bytes)
    {
        for (int n = 1; n <= 100; ++n) {
            const QString name = file + QStringLiteral(".unreadable") + (n > 1 ? u'.' + QString::number(n) : QString());
            const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0) {
                const auto closeFd = qScopeGuard([fd] { ::close(fd); });
                try {
                    writeAll(fd, bytes);
                } catch (const Why&) {
                    ::unlink(QFile::encodeName(name).constData());
                    throw;
                }
                return { name, true };
            }
            if (errno != EEXIST)
                throw Why { tr("it cannot be kept as \"%1\": %2").arg(name, errnoText(errno)) };
            try {
                if (readOrdinaryFile(name).bytes == bytes)
                    return { name, false };
            } catch (const Why&) {
                // Something else holds that name; try the next one.
            }
        }
        throw Why { tr("no free name is left to keep it aside") };
    }

    // --- The INI text ----------------------------------------------------
    //
    // Only the one line that holds the key is read and replaced; the other
    // lines are never parsed into values. Other programs' sections may hold
    // serialized values that must come back byte for byte, and decoding them
    // could ask for any amount of memory.

    // Escapes by name: the letter after the backslash, and what it stands for.
    const char kNamedEscapes[][2] = { { 'a', '\a' }, { 'b', '\b' }, { 'f', '\f' }, { 'n', '\n' }, { 'r', '\r' },
        { 't', '\t' }, { 'v', '\v' }, { '"', '"' }, { '?', '?' }, { '\'', '\'' }, { '\\', '\\' } };

    bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

    struct IniScan {
        QList<qsizetype> unclosedHeaders; // where a "]" is missing
        qsizetype sectionLineEnd = -1; // end of the section's (last) header line
        qsizetype keyStart = -1; // the key's (last) line, up to a comment
        qsizetype keyEnd = -1;
        qsizetype valueStart = -1;
    };

    IniScan scanIni(const QByteArray& data, const QByteArray& section, const QByteArray& key)
    {
        IniScan scan;
        const qsizetype n = data.size();
        bool inSection = false;
        qsizetype i = 0;
        while (i < n) {
            while (i < n && isBlank(data[i]))
                ++i;
            if (i >= n)
                break;
            const qsizetype start = i;
            if (data[i] == ';') {
                while (i < n && data[i] != '\n' && data[i] != '\r')
                    ++i;
                continue;
            }
            // A line ends at a line break or a comment outside quotes; a
            // backslash takes the next character (a line break too) along.
            bool inQuotes = false;
            qsizetype equals = -1;
            while (i < n) {
                const char c = data[i];
                if ((c == '\n' || c == '\r' || c == ';') && !inQuotes)
                    break;
                ++i;
                if (c == '"') {
                    inQuotes = !inQuotes;
                } else if (c == '=' && equals < 0) {
                    equals = i - 1;
                } else if (c == '\\' && i < n) {
                    const char next = data[i++];
                    if (i < n && ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n')))
                        ++i;
                }
            }
            const qsizetype end = i;
            if (data[start] == '[') {
                const qsizetype close = data.indexOf(']', start);
                const bool closed = close >= 0 && close < end;
                if (!closed)
                    scan.unclosedHeaders << end;
                inSection = data.sliced(start + 1, (closed ? close : end) - start - 1).trimmed() == section;
                if (inSection)
                    scan.sectionLineEnd = end;
            } else if (inSection && equals >= 0 && data.sliced(start, equals - start).trimmed() == key) {
                scan.keyStart = start;
                scan.keyEnd = end;
                scan.valueStart = equals + 1;
            }
        }
        return scan;
    }

    // An INI value as text: quotes group, backslash escapes, blanks around
    // it drop. Commas are kept as written: the value is one text, never a
    // list, so "a, b" stays "a, b".
    QString decodeIniValue(QByteArrayView raw)
    {
        QString out;
        const qsizetype n = raw.size();
        qsizetype i = 0;
        qsizetype keepUpTo = 0; // blanks before this point are part of the value
        bool quoted = false;
        bool inQuotes = false;
        const auto skipBlanks = [&] {
            while (i < n && (raw[i] == ' ' || raw[i] == '\t'))
                ++i;
        };
        const auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
        skipBlanks();
        while (i < n) {
            const char c = raw[i];
            if (c == '\\') {
                if (++i >= n)
                    break;
                const char e = raw[i++];
                const auto hit = std::find_if(
                    std::begin(kNamedEscapes), std::end(kNamedEscapes), [e](const char* p) { return p[0] == e; });
                if (hit != std::end(kNamedEscapes)) {
                    out += QLatin1Char((*hit)[1]);
                } else if (e == 'x' || (e >= '0' && e <= '7')) {
                    // Code units are 16 bits: longer runs of digits wrap.
                    const bool hex = e == 'x';
                    char16_t unit = hex ? 0 : char16_t(e - '0');
                    const qsizetype first = i;
                    while (i < n && (hex ? isHex(raw[i]) : raw[i] >= '0' && raw[i] <= '7')) {
                        const char d = raw[i++];
                        const int digit = d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10;
                        unit = char16_t(hex ? (unit << 4) + digit : (unit << 3) + digit);
                    }
                    if (!hex || i > first)
                        out += QChar(unit);
                } else if (e == '\n' || e == '\r') {
                    if (i < n && (raw[i] == '\n' || raw[i] == '\r') && raw[i] != e)
                        ++i;
                }
                keepUpTo = out.size();
            } else if (c == '"') {
                ++i;
                quoted = true;
                inQuotes = !inQuotes;
                if (!inQuotes) {
                    skipBlanks();
                    keepUpTo = out.size();
                }
            } else {
                qsizetype j = i + 1;
                while (j < n && raw[j] != '\\' && raw[j] != '"')
                    ++j;
                out += QString::fromUtf8(raw.sliced(i, j - i));
                i = j;
            }
        }
        if (!quoted) {
            qsizetype size = out.size();
            while (size > keepUpTo && (out[size - 1] == u' ' || out[size - 1] == u'\t'))
                --size;
            out.truncate(size);
        }
        return out;
    }

    // Half of a surrogate pair is no character: it reads as U+FFFD, the way
    // it would be written.
    QString withoutLoneSurrogates(QString text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (text[i].isSurrogate())
                text[i] = QChar::ReplacementCharacter;
        }
        return text;
    }

    // The text a decoded value stands for. "@@" protects a text that starts
    // with "@"; "@Kind(...)" holds a value of another type, which is no text.
    bool storedText(const QString& decoded, QString* text)
    {
        if (decoded.startsWith(u"@@")) {
            *text = decoded.mid(1);
        } else if (decoded.startsWith(u"@String(") && decoded.endsWith(u')')) {
            *text = decoded.sliced(8).chopped(1);
        } else if (decoded.startsWith(u"@ByteArray(") && decoded.endsWith(u')')) {
            *text = QString::fromUtf8(decoded.sliced(11).chopped(1).toLatin1());
        } else if (decoded.endsWith(u')')
            && (decoded.startsWith(u"@Variant(") || decoded.startsWith(u"@DateTime(") || decoded.startsWith(u"@Rect(")
                || decoded.startsWith(u"@Size(") || decoded.startsWith(u"@Point(") || decoded == u"@Invalid()")) {
            return false;
        } else {
            *text = decoded;
        }
        *text = withoutLoneSurrogates(*text);
        return true;
    }

    // The value as the INI format writes it, read back the same by the above
    // and by QSettings.
    QByteArray encodeIniValue(const QString& text)
    {
        const QString s = text.startsWith(u'@') ? u'@' + text : text;
        QByteArray out;
        out.reserve(s.size() + 2);
        bool needsQuotes = false;
        bool escapeHexDigit = false; // after a numeric escape a hex digit would join it
        for (qsizetype i = 0; i < s.size(); ++i) {
            const char16_t ch = s[i].unicode();
            if (ch == ';' || ch == ',' || ch == '=')
                needsQuotes = true;
            if (escapeHexDigit && ch < 0x80 && std::isxdigit(ch)) {
                out += "\\x" + QByteArray::number(ch, 16);
                continue;
            }
            escapeHexDigit = false;
            const auto named = ch < 0x80 && ch != '?' && ch != '\'' ? std::find_if(std::begin(kNamedEscapes),
                                   std::end(kNamedEscapes), [ch](const char* p) { return p[1] == char(ch); })
                                                                    : std::end(kNamedEscapes);
            if (named != std::end(kNamedEscapes)) {
                out += '\\';
                out += (*named)[0];
            } else if (ch < 0x20) {
                out += "\\x" + QByteArray::number(ch, 16);
                escapeHexDigit = true;
            } else if (ch < 0x80) {
                out += char(ch);
            } else if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
                out += QStringView(s).sliced(i, 2).toUtf8();
                ++i;
            } else {
                out += QStringView(s).sliced(i, 1).toUtf8();
            }
        }
        if (needsQuotes || out.startsWith(' ') || out.endsWith(' '))
            out = '"' + out + '"';
        return out;
    }

    // What one key of the file holds, read the way both the start-up and
    // the save read it.
    struct KeyRead {
        IniScan scan;
        QString value;
        bool isText = true;
        bool whole() const { return isText && scan.unclosedHeaders.isEmpty(); }
    };

    KeyRead readKey(const QByteArray& data, const QString& section, const QString& key)
    {
        KeyRead read;
        read.scan = scanIni(data, section.toUtf8(), key.toUtf8());
        if (read.scan.keyStart >= 0) {
            const QByteArrayView raw(data.constData() + read.scan.valueStart, read.scan.keyEnd - read.scan.valueStart);
            read.isText = storedText(decodeIniValue(raw), &read.value);
            if (!read.isText)
                read.value.clear();
        }
        return read;
    }

    // The old file with the key's line replaced (or added) and every header
    // missing its "]" closed, the way it was read; nothing else changes.
    QByteArray withKey(const QByteArray& old, const IniScan& scan, const QString& section, const QByteArray& line)
    {
        struct Edit {
            qsizetype at;
            qsizetype removed;
            QByteArray inserted;
        };
        QList<Edit> edits;
        if (scan.keyStart >= 0) {
            edits << Edit { scan.keyStart, scan.keyEnd - scan.keyStart, line };
        } else if (scan.sectionLineEnd >= 0) {
            qsizetype at = scan.sectionLineEnd;
            while (at < old.size() && old[at] != '\n' && old[at] != '\r')
                ++at;
            if (at < old.size())
                at += old.sliced(at).startsWith("\r\n") ? 2 : 1;
            const bool lineEnded = at > 0 && (old[at - 1] == '\n' || old[at - 1] == '\r');
            edits << Edit { at, 0, (lineEnded ? QByteArray() : "\n") + line + '\n' };
        } else {
            QByteArray added;
            if (!old.isEmpty())
                added += old.endsWith('\n') ? "\n" : "\n\n";
            edits << Edit { old.size(), 0, added + '[' + section.toUtf8() + "]\n" + line + '\n' };
        }
        for (const qsizetype at : scan.unclosedHeaders)
            edits << Edit { at, 0, "]" };
        // From the end, so earlier positions stay valid; at one position the
        // key's line goes after the "]" that closes its header.
        std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at > b.at; });
        QByteArray result = old;
        for (const Edit& edit : edits)
            result.replace(edit.at, edit.removed, edit.inserted);
        return result;
    }

    // The file with the key's value replaced, when it reads back as `value`.
    std::optional<QByteArray> replacedValue(
        const QByteArray& old, const KeyRead& read, const QString& section, const QString& key, const QString& value)
    {
        const QByteArray line = key.toUtf8() + '=' + encodeIniValue(value);
        QByteArray bytes = withKey(old, read.scan, section, line);
        const KeyRead check = readKey(bytes, section, key);
        if (!check.whole() || check.value != value)
            return std::nullopt;
        return bytes;
    }

    QString asideNotice(const QString& file, const KeyRead& read, const QString& kept)
    {
        return (read.isText ? tr("The settings file \"%1\" is not all in INI format: %2, and what could be read of it "
                                 "is used.")
                            : tr("The saved searches in \"%1\" are not text, so none can be shown: %2."))
            .arg(file, kept);
    }

    QString keptAs(const QString& copy) { return tr("the file is kept whole as \"%1\"").arg(copy); }

} // namespace

void reportNotice(const QString& notice)
{
    if (!notice.isEmpty())
        throw Failure(notice);
}

StoredText GetSetting(const QString& file, const QString& section, const QString& key)
{
    FileBytes old;
    try {
        old = readOrdinaryFile(resolveLinks(file));
    } catch (const Why& why) {
        throw Failure(tr("The saved searches could not be read from \"%1\": %2.").arg(file, why.text));
    }
    const KeyRead read = readKey(old.bytes, section, key);
    StoredText stored { read.value, QString() };
    if (!read.whole()) {
        QString kept;
        try {
            kept = keptAs(keepAside(file, old.bytes).first);
        } catch (const Why& why) {
            kept = tr("the file could not be kept aside (%1)").arg(why.text);
        }
        stored.notice = asideNotice(file, read, kept);
    }
    return stored;
}

QString SaveSetting(const QString& file, const QString& section, const QString& key,
    const std::function<QString(const QString& stored)>& compose)
{
    const auto fail = [&](const QString& why) {
        throw Failure(tr("The saved searches could not be written to \"%1\": %2.").arg(file, why));
    };
    const QFileInfo info(file);
    if (!QDir().mkpath(info.absolutePath()))
        fail(tr("its folder cannot be created"));

    // Every program that saves through QSettings takes this lock; holding
    // it from reading the old file to the rename keeps their changes and
    // ours from overwriting each other.
    QLockFile lock(info.absoluteFilePath() + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        fail(lock.error() == QLockFile::LockFailedError ? tr("another program keeps it locked")
                                                        : tr("its lock file cannot be made"));
    try {
        const QString target = resolveLinks(file);
        const FileBytes old = readOrdinaryFile(target);
        const KeyRead read = readKey(old.bytes, section, key);
        QString notice;
        if (!read.whole()) {
            const auto [copy, made] = keepAside(file, old.bytes);
            if (made)
                notice = asideNotice(file, read, keptAs(copy));
        }
        const std::optional<QByteArray> replaced
            = replacedValue(old.bytes, read, section, key, withoutLoneSurrogates(compose(read.value)));
        if (!replaced)
            throw Why { tr("the list would not read back as it is") };
        const QByteArray& bytes = *replaced;

        // The new file is written beside the target and replaces it in one
        // rename, so a full disk or a crash leaves the old file whole.
        const QFileInfo targetInfo(target);
        QTemporaryFile staged(targetInfo.absoluteFilePath() + QStringLiteral(".XXXXXX"));
        if (!staged.open())
            throw Why { staged.errorString() };
        // Created private; takes the old file's mode, but never lets
        // everyone write.
        if (old.exists && ::fchmod(staged.handle(), old.mode & ~mode_t(S_IWOTH)) != 0)
            throw Why { errnoText(errno) };
        writeAll(staged.handle(), bytes);
        staged.close();
        if (::rename(QFile::encodeName(staged.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
            throw Why { errnoText(errno) };
        staged.setAutoRemove(false);
        // The rename itself must reach the disk too.
        const int folder
            = ::open(QFile::encodeName(targetInfo.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0 || ::fsync(folder) != 0) {
            const int error = errno;
            if (folder >= 0)
                ::close(folder);
            throw Why { tr("its folder could not be synced: %1").arg(errnoText(error)) };
        }
        ::close(folder);
        return notice;
    } catch (const Why& why) {
        fail(why.text);
    }
    return QString();
}

QString SaveSetting(const QString& file, const QString& section, const QString& key, const QString& value)
{
    return SaveSetting(file, section, key, [&](const QString&) { return value; });
}

QString iniValue(const QByteArray& data, const QString& section, const QString& key, bool* whole)
{
    const KeyRead read = readKey(data, section, key);
    if (whole)
        *whole = read.whole();
    return read.value;
}

std::optional<QByteArray> withIniValue(
    const QByteArray& data, const QString& section, const QString& key, const QString& value)
{
    return replacedValue(data, readKey(data, section, key), section, key, value);
}

bool needsEscaping(const QString& entry) { return entry.contains(u'|'); }

QString escapeEntry(const QString& entry)
{
    QString escaped = entry;
    escaped.replace(u'%', QStringLiteral("%25"));
    escaped.replace(u'|', QStringLiteral("%7C"));
    return escaped;
}

QString unescapeEntry(QStringView piece)
{
    QString entry;
    entry.reserve(piece.size());
    for (qsizetype i = 0; i < piece.size(); ++i) {
        const QStringView rest = piece.sliced(i);
        if (rest.startsWith(u"%25")) {
            entry += u'%';
            i += 2;
        } else if (rest.startsWith(u"%7C", Qt::CaseInsensitive)) {
            entry += u'|';
            i += 2;
        } else {
            entry += piece[i];
        }
    }
    return entry;
}

QString storedValue(const QStringList& entries)
{
    const bool escaped = std::any_of(entries.cbegin(), entries.cend(), needsEscaping);
    QString value = escaped ? QStringLiteral("|") : QString();
    for (const QString& entry : entries)
        value += (escaped ? escapeEntry(entry) : entry) + u'|';
    return value;
}

QStringList storedEntries(const QString& value)
{
    const bool escaped = isEscapedValue(value);
    QStringList entries;
    for (const QStringView piece : QStringView(value).split(u'|', Qt::SkipEmptyParts))
        entries << (escaped ? unescapeEntry(piece) : piece.toString());
    return entries;
}

QStringList mergeSearches(const QStringList& atStart, const QStringList& mine, const QStringList& storedNow)
{
    // Entries of the start not yet matched by one of mine, with repeats.
    QHash<QString, qsizetype> unmatched;
    for (const QString& entry : atStart)
        ++unmatched[entry];
    // Takes one repeat of `entry` from `unmatched`, if one is left.
    const auto match = [&unmatched](const QString& entry) {
        const auto it = unmatched.find(entry);
        return it != unmatched.end() && *it > 0 && (--*it, true);
    };
    QStringList added;
    for (const QString& entry : mine) {
        if (!match(entry))
            added << entry;
    }
    // What is left unmatched was deleted here.
    QStringList merged;
    for (const QString& entry : storedNow) {
        if (!match(entry))
            merged << entry;
    }
    return merged + added;
}

} // namespace quillmoor
