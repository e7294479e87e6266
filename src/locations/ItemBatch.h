#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <limits>
#include <vector>

namespace quillmoor {

// Rows of a list view, each an item text and one sub-item. The texts live in
// a few large chunks that the batch holds, and rows point into them, so a
// list of a hundred thousand rows costs no string per row: a reader can hand
// over the chunk it decoded and add rows that point into it, without copying
// a character. Chunks left from an earlier fill are reused, because filling
// memory that is already mapped is far cheaper than fresh memory.
class ItemBatch {
public:
    // A row's texts lie one after another in one chunk, one character
    // apart (a line "text,sub,more" of list.txt is such a row as it
    // stands), so a row is where it starts and three lengths: a list of a
    // hundred thousand rows costs half the memory of three full spans each.
    struct Row {
        qsizetype pos = 0; // of the text in its chunk
        qint32 chunk = 0;
        qint32 textLen = 0;
        qint32 subLen = 0; // the sub-item starts one character after the text
        qint32 moreLen = 0; // shown after the joiner; starts one after the sub-item
    };
    // Adds a row, copying its texts.
    void add(QStringView text, QStringView sub = {});

    // Takes `chunk` into the batch and answers its number for spanIn().
    qint32 hold(QString&& chunk);
    const QString& chunk(qint32 number) const { return chunks_[size_t(number)]; }
    // Gives the last held chunk back when no row points into it.
    void releaseUnused(qint32 number);
    // Adds a row whose text, sub-item and more lie in held chunk `number`:
    // `text`, then `subLen` characters one after its end, then `moreLen`
    // characters one after those.
    void add(qint32 number, QStringView text, qint32 subLen, qint32 moreLen)
    {
        // Field by field into the vector: a whole row built aside and copied
        // in costs a stalled load on every line of a large list.
        Row& row = rows_.emplace_back();
        row.pos = text.data() - chunks_[size_t(number)].constData();
        row.chunk = number;
        row.textLen = qint32(text.size());
        row.subLen = subLen;
        row.moreLen = moreLen;
    }
    void setJoiner(const QString& joiner) { joiner_ = joiner; }

    // An empty string for the next chunk, with room from an earlier fill.
    QString takeBuffer();

    qsizetype size() const { return qsizetype(rows_.size()); }
    QStringView text(qsizetype row) const
    {
        const Row& r = rows_[size_t(row)];
        return QStringView(chunks_[size_t(r.chunk)]).sliced(r.pos, r.textLen);
    }
    // The sub-item, or its first `most` characters when it is longer.
    QString subText(qsizetype row, qsizetype most = std::numeric_limits<qsizetype>::max()) const;

    // Appends the rows of `other`, whose chunks this batch then shares.
    void append(const ItemBatch& other);
    // Empties the batch but keeps its chunks for the next fill.
    void reset();
    // How far the batch is filled, and back to that point: a reader that has
    // to start again takes back the rows and chunks it added.
    struct Mark {
        size_t rows = 0, chunks = 0;
    };
    Mark mark() const { return { rows_.size(), chunks_.size() }; }
    void rollBack(const Mark& to);
    // Empties the batch and gives all its memory back.
    void clear() { *this = ItemBatch(); }
    // Characters held, in use or kept for the next fill.
    qsizetype capacity() const;

private:
    // Copies the texts of a row into the batch's own chunk.
    Row copy(QStringView text, QStringView sub);

    std::vector<QString> chunks_;
    std::vector<QString> spare_;
    std::vector<Row> rows_;
    QString joiner_;
    qint32 own_ = -1; // the chunk that copied texts are appended to
};

} // namespace quillmoor
