#include "SearchStore.h"

#include "CarefulFile.h"
#include "Failure.h"
#include "FileCalls.h"
#include "SettingsKeys.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QThread>
#include <algorithm>

namespace quillmoor {

namespace {

    // What the file holds under the keys, and what is wrong with it.
    struct FileRead {
        QStringList names; // the keys read, a family's spelt out
        QList<IniRead> reads;
        bool unclosedHeader = false;
        QString notText; // the first key whose value is no text
        bool whole() const { return !unclosedHeader && notText.isNull(); }
    };

    // `keys` with each that ends in "*" spelt out as every key of the
    // section that begins as it does, once each, in the file's order.
    QStringList withFamilies(const IniScan& scan, const QString& section, const QStringList& keys)
    {
        QStringList names;
        QStringList starts;
        for (const QString& key : keys)
            (key.endsWith(u'*') ? starts : names) << key.chopped(key.endsWith(u'*') ? 1 : 0);
        if (starts.isEmpty())
            return names;
        QSet<QString> seen(names.cbegin(), names.cend());
        for (const IniEntry& entry : scan.entries) {
            const QStringView name = QStringView(entry.key).sliced(entry.sectionLength);
            if (entry.sectionLength != section.size() + 1 || !entry.key.startsWith(section) || name.contains(u'/'))
                continue;
            if (std::any_of(
                    starts.cbegin(), starts.cend(), [&](const QString& start) { return name.startsWith(start); })
                && !seen.contains(name.toString())) {
                names << name.toString();
                seen.insert(names.constLast());
            }
        }
        return names;
    }

    FileRead readKeys(const QByteArray& bytes, const QString& section, const QStringList& keys)
    {
        FileRead file;
        const IniScan scan = scanIni(bytes);
        file.unclosedHeader = scan.hasUnclosedHeader();
        file.names = withFamilies(scan, section, keys);
        for (const QString& key : file.names) {
            file.reads << readIniKey(bytes, scan, section, key);
            if (!file.reads.constLast().isText && file.notText.isNull())
                file.notText = key;
        }
        return file;
    }

    QString keptAs(const QString& copy) { return SearchStoreText::tr("the file is kept whole as \"%1\"").arg(copy); }

    QString asideNotice(const QString& file, const FileRead& read, const QString& kept)
    {
        if (read.notText == settings::kSearches)
            return SearchStoreText::tr("The saved searches in \"%1\" are not text, so none can be shown: %2.")
                .arg(file, kept);
        if (!read.notText.isNull())
            return SearchStoreText::tr("The setting \"%2\" in \"%1\" is not text, so it is not used: %3.")
                .arg(file, read.notText, kept);
        return SearchStoreText::tr(
            "The settings file \"%1\" is not all in INI format: %2, and what could be read of it is used.")
            .arg(file, kept);
    }

    // What a key's composer is given: null for a key that is not there,
    // which a key there with nothing after its "=" must not be taken for.
    QString composedFrom(IniRead& read)
    {
        if (!read.present)
            return QString();
        return read.text.isNull() ? QStringLiteral("") : std::exchange(read.text, QString());
    }

    // The file as the save leaves it, and a notice when the old one had to
    // be kept aside.
    std::pair<QByteArray, QString> savedBytes(const QString& file, const QByteArray& old, const QString& section,
        const QStringList& keys, const ComposeSettings& compose, const std::function<void(const QStringList&)>& spelt)
    {
        FileRead read = readKeys(old, section, keys);
        const QStringList& names = read.names;
        if (spelt)
            spelt(names);
        QString notice;
        if (!read.whole()) {
            const auto [copy, made] = keepAside(file, old);
            if (made)
                notice = asideNotice(file, read, keptAs(copy));
        }
        // The values read are handed over, not kept: a long list's text
        // takes twice its bytes, and the file's new bytes are yet to be
        // made.
        QStringList stored;
        for (IniRead& key : read.reads)
            stored << composedFrom(key);
        QStringList texts = compose(std::move(stored));
        QList<std::pair<QString, QString>> values;
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (!texts.value(i).isNull() || read.reads[i].present)
                values << std::pair { names[i], i < texts.size() ? std::exchange(texts[i], QString()) : QString() };
        }
        texts.clear();
        if (std::optional<QByteArray> bytes = withIniValuesTaken(old, section, values))
            return { *bytes, notice };
        // Nothing in the old file lets the new lines stand beside it.
        const std::optional<QByteArray> fresh = withIniValues(QByteArray(), section, values);
        if (!fresh)
            throw FileTrouble { SearchStoreText::tr("the list would not read back as it is") };
        const QString copy = keepAside(file, old).first;
        return { *fresh,
            SearchStoreText::tr(
                "The settings file \"%1\" could not take the new settings beside what it holds: %2, and a new file "
                "holds them.")
                .arg(file, keptAs(copy)) };
    }

} // namespace

void reportNotice(const QString& notice)
{
    if (!notice.isEmpty())
        throw Failure(notice);
}

namespace {

    constexpr int kStillTries = 20;
    constexpr int kStillWaitMs = 100;

    // A sync tool renames its copy over the file without taking the lock,
    // and some write it in place: a file that changed while it was read, or
    // a moment before, is read again once it holds still, so that half a
    // file is never taken for a list that lost its entries. Answers the
    // file as it stood.
    std::pair<FileBytes, os::PathKind> readStill(const QString& target)
    {
        constexpr qint64 kStillNs = qint64(kStillWaitMs) * 1000000;
        for (int tries = 1;; ++tries) {
            const os::PathKind before = os::pathKind(target);
            FileBytes read = readOrdinaryFile(target);
            const bool moving
                = before.exists && QDateTime::currentMSecsSinceEpoch() * 1000000 - before.changed < kStillNs;
            if ((!moving && os::pathKind(target).sameAs(before)) || tries == kStillTries)
                return { std::move(read), before };
            QThread::msleep(kStillWaitMs);
        }
    }

    // The file under `keys`, read and decoded; nothing is written.
    std::pair<FileBytes, FileRead> readSettings(const QString& file, const QString& section, const QStringList& keys)
    {
        FileBytes old;
        try {
            old = readStill(resolveLinks(file)).first;
        } catch (const FileTrouble& why) {
            throw Failure(
                SearchStoreText::tr("The saved searches could not be read from \"%1\": %2.").arg(file, why.text));
        }
        FileRead read = readKeys(old.bytes, section, keys);
        // Only the first key's value is worth a report when it is no text;
        // the others read as empty.
        if (!keys.isEmpty() && read.notText != keys.first())
            read.notText = QString();
        return { std::move(old), std::move(read) };
    }

    StoredTexts textsOf(const FileRead& read)
    {
        StoredTexts stored;
        for (qsizetype i = 0; i < read.names.size(); ++i)
            stored.values.insert(read.names[i], read.reads[i].text);
        stored.allIni = !read.unclosedHeader;
        return stored;
    }

} // namespace

std::optional<StoredTexts> GetWholeSettings(const QString& file, const QString& section, const QStringList& keys)
{
    try {
        const auto [old, read] = readSettings(file, section, keys);
        if (!read.whole())
            return std::nullopt;
        return textsOf(read);
    } catch (const Failure&) {
        return std::nullopt;
    }
}

StoredTexts GetSettings(const QString& file, const QString& section, const QStringList& keys)
{
    const auto [old, read] = readSettings(file, section, keys);
    StoredTexts stored = textsOf(read);
    if (!read.whole()) {
        QString kept;
        try {
            kept = keptAs(keepAside(file, old.bytes).first);
        } catch (const FileTrouble& why) {
            kept = SearchStoreText::tr("the file could not be kept aside (%1)").arg(why.text);
        }
        stored.notice = asideNotice(file, read, kept);
    }
    return stored;
}

StoredTexts ReadSettingsOnly(const QString& file, const QString& section, const QStringList& keys)
{
    const auto [old, read] = readSettings(file, section, keys);
    if (!read.notText.isNull())
        throw Failure(SearchStoreText::tr("The saved searches in \"%1\" are not text, so none can be read.").arg(file));
    return textsOf(read);
}

StoredText ReadSettingOnly(const QString& file, const QString& section, const QString& key)
{
    FileBytes old;
    try {
        old = readOrdinaryFile(resolveLinks(file));
    } catch (const FileTrouble& why) {
        throw Failure(SearchStoreText::tr("The saved searches could not be read from \"%1\": %2.").arg(file, why.text));
    }
    const FileRead read = readKeys(old.bytes, section, { key });
    if (!read.notText.isNull())
        throw Failure(SearchStoreText::tr("The saved searches in \"%1\" are not text, so none can be read.").arg(file));
    StoredText stored { read.reads.constFirst().text, QString() };
    if (read.unclosedHeader)
        stored.notice = SearchStoreText::tr(
            "The settings file \"%1\" is not all in INI format: what could be read of it is used.")
                            .arg(file);
    return stored;
}

StoredText GetSetting(const QString& file, const QString& section, const QString& key)
{
    StoredTexts stored = GetSettings(file, section, { key });
    return { stored.values.value(key), stored.notice };
}

QString SaveSettings(const QString& file, const QString& section, const QStringList& keys,
    const ComposeSettings& compose, const SaveOptions& options)
{
    const auto fail = [&](const QString& why) {
        throw Failure(SearchStoreText::tr("The saved searches could not be written to \"%1\": %2.").arg(file, why));
    };
    // A link refused on the way refuses the save before a folder or the
    // lock file is made through it; the folder made is the one checked.
    QString resolved;
    try {
        resolved = resolveLinks(file);
    } catch (const FileTrouble& why) {
        fail(why.text);
    }
    if (!QDir().mkpath(QFileInfo(resolved).absolutePath()))
        fail(SearchStoreText::tr("its folder cannot be created"));
    try {
        // Every program that saves through QSettings takes this lock; holding
        // it from reading the old file to the rename keeps their changes and
        // ours from overwriting each other.
        const auto lock = lockForWriting(file, options.lockWaitMs);
        const QString target = resolveLinks(file);
        for (int tries = 1;; ++tries) {
            const auto [old, stamp] = readStill(target);
            auto [bytes, notice] = savedBytes(file, old.bytes, section, keys, compose, options.spelt);
            // A file renamed over this one meanwhile is merged too, never
            // replaced unread.
            if (!os::pathKind(target).sameAs(stamp)) {
                if (tries == kStillTries)
                    throw FileTrouble { SearchStoreText::tr("it kept changing while it was read") };
                QThread::msleep(kStillWaitMs);
                continue;
            }
            if (!old.exists || bytes != old.bytes) {
                const QString warning = replaceFile(target, old, bytes);
                if (!warning.isEmpty())
                    notice = notice.isEmpty() ? warning : notice + u' ' + warning;
            }
            if (options.whileLocked)
                options.whileLocked();
            return notice;
        }
    } catch (const FileTrouble& why) {
        fail(why.text);
    }
    return QString();
}

} // namespace quillmoor
