#pragma once

#include <QString>
#include <QStringView>
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
    struct Span {
        qsizetype pos = 0;
        qint32 chunk = 0;
        qint32 len = 0;
    };
    // The sub-item is `sub`, followed by the joiner and `more` when `more`
    // is not empty.
    struct Row {
        Span text, sub, more;
    };

    // Adds a row, copying its texts.
    void add(QStringView text, QStringView sub = {});

    // Takes `chunk` into the batch and answers its number for spanIn().
    qint32 hold(QString&& chunk);
    const QString& chunk(qint32 number) const { return chunks_[size_t(number)]; }
    // Gives the last held chunk back when no row points into it.
    void releaseUnused(qint32 number);
    // Where `part`, a view into held chunk `number`, lies in it.
    Span spanIn(qint32 number, QStringView part) const
    {
        const QString& c = chunks_[size_t(number)];
        return Span { qsizetype(part.data() - c.constData()), number, qint32(part.size()) };
    }
    void add(const Row& row) { rows_.push_back(row); }
    void setJoiner(const QString& joiner) { joiner_ = joiner; }

    // An empty string for the next chunk, with room from an earlier fill.
    QString takeBuffer();

    qsizetype size() const { return qsizetype(rows_.size()); }
    QStringView text(qsizetype row) const { return view(rows_[size_t(row)].text); }
    QString subText(qsizetype row) const;

    void setSubText(qsizetype row, QStringView sub);
    void remove(qsizetype row) { rows_.erase(rows_.begin() + row); }
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
    QStringView view(const Span& s) const { return QStringView(chunks_[size_t(s.chunk)]).sliced(s.pos, s.len); }
    Span copy(QStringView text);

    std::vector<QString> chunks_;
    std::vector<QString> spare_;
    std::vector<Row> rows_;
    QString joiner_;
    qint32 own_ = -1; // the chunk that copied texts are appended to
};

} // namespace quillmoor
