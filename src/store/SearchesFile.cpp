#include "SearchesFile.h"

#include "CarefulFile.h"
#include "Failure.h"
#include "TextDecoder.h"

#include <QSaveFile>

namespace quillmoor {

namespace {

    // Enough of the start for the decoder to tell UTF-16 without a mark by
    // its first line.
    constexpr qsizetype kStartLooked = 4096;

    QString cannotRead(const QString& path, const QString& reason)
    {
        return SearchStoreText::tr("The file %1 cannot be read: %2.").arg(path, reason);
    }

} // namespace

QByteArray searchesFileBytes(const QStringList& entries)
{
    QString text;
    qsizetype size = 0;
    for (const QString& entry : entries)
        size += entry.size() + 1;
    text.reserve(size);
    for (const QString& entry : entries)
        text.append(entry).append(u'\n');
    return text.toUtf8();
}

void writeSearchesFile(const QString& path, const QStringList& entries)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Failure(SearchStoreText::tr("The file %1 cannot be written: %2.").arg(path, file.errorString()));
    const QByteArray bytes = searchesFileBytes(entries);
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(SearchStoreText::tr("The file %1 cannot be written: %2.").arg(path, file.errorString()));
}

QString decodeSearchesText(const QByteArray& bytes, const QString& path)
{
    TextDecoder decoder;
    decoder.lookAtStart(QByteArrayView(bytes).first(qMin(bytes.size(), kStartLooked)));
    QString text;
    if (decoder.decode(bytes, true, text) == TextDecoder::kStartAgain)
        decoder.decode(bytes, true, text);
    // UTF-16 of any text has no NUL unit; UTF-8 and the code page have no
    // NUL byte in text.
    if (text.contains(QChar(0)))
        throw Failure(SearchStoreText::tr("The file %1 holds no text.").arg(path));
    return text;
}

QString readSearchesFile(const QString& path)
{
    FileBytes file;
    try {
        file = readOrdinaryFile(path);
    } catch (const FileTrouble& trouble) {
        throw Failure(cannotRead(path, trouble.text));
    }
    if (!file.exists)
        throw Failure(cannotRead(path, SearchStoreText::tr("there is no such file")));
    return decodeSearchesText(file.bytes, path);
}

} // namespace quillmoor
