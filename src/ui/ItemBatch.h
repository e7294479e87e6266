#pragma once

#include <QString>
#include <QStringView>
#include <initializer_list>
#include <vector>

namespace quillmoor {

// Rows of a list view (an item text and one sub-item) kept in one shared text
// buffer. Filling a list with a hundred thousand rows this way costs one
// growing buffer instead of two heap strings per row, which is what keeps a
// filter keystroke inside one screen frame.
class ItemBatch {
public:
    struct Row {
        qsizetype textPos = 0, textLen = 0;
        qsizetype subPos = 0, subLen = 0;
    };

    void add(QStringView text, std::initializer_list<QStringView> subPieces)
    {
        Row row;
        row.textPos = buffer_.size();
        row.textLen = text.size();
        buffer_.append(text);
        row.subPos = buffer_.size();
        for (QStringView piece : subPieces)
            buffer_.append(piece);
        row.subLen = buffer_.size() - row.subPos;
        rows_.push_back(row);
    }
    void add(QStringView text) { add(text, {}); }

    qsizetype size() const { return qsizetype(rows_.size()); }
    QStringView text(qsizetype row) const { return slice(rows_[size_t(row)].textPos, rows_[size_t(row)].textLen); }
    QStringView subText(qsizetype row) const { return slice(rows_[size_t(row)].subPos, rows_[size_t(row)].subLen); }

    // Rewrites the sub-item of one row; the old text stays in the buffer
    // unused until the batch is replaced.
    void setSubText(qsizetype row, QStringView sub)
    {
        Row &r = rows_[size_t(row)];
        r.subPos = buffer_.size();
        r.subLen = sub.size();
        buffer_.append(sub);
    }
    void remove(qsizetype row) { rows_.erase(rows_.begin() + row); }
    void clear()
    {
        rows_.clear();
        buffer_.clear();
    }
    void append(const ItemBatch &other)
    {
        const qsizetype shift = buffer_.size();
        buffer_.append(other.buffer_);
        rows_.reserve(rows_.size() + other.rows_.size());
        for (Row r : other.rows_) {
            r.textPos += shift;
            r.subPos += shift;
            rows_.push_back(r);
        }
    }

private:
    QStringView slice(qsizetype pos, qsizetype len) const { return QStringView(buffer_).mid(pos, len); }

    QString buffer_;
    std::vector<Row> rows_;
};

} // namespace quillmoor
