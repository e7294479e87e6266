#include "ItemBatch.h"

namespace quillmoor {

ItemBatch::Row ItemBatch::copy(QStringView text, QStringView sub)
{
    if (own_ < 0)
        own_ = hold(QString());
    QString& own = chunks_[size_t(own_)];
    const Row row { own.size(), own_, qint32(text.size()), qint32(sub.size()), 0 };
    own.append(text).append(u'\0').append(sub);
    return row;
}

void ItemBatch::add(QStringView text, QStringView sub) { rows_.push_back(copy(text, sub)); }

qint32 ItemBatch::hold(QString&& chunk)
{
    chunks_.push_back(std::move(chunk));
    return qint32(chunks_.size() - 1);
}

void ItemBatch::releaseUnused(qint32 number)
{
    if (number != qint32(chunks_.size()) - 1 || number == own_)
        return;
    if (!rows_.empty() && rows_.back().chunk == number)
        return;
    spare_.push_back(std::move(chunks_.back()));
    chunks_.pop_back();
}

QString ItemBatch::takeBuffer()
{
    if (spare_.empty())
        return QString();
    QString buffer = std::move(spare_.back());
    spare_.pop_back();
    buffer.resize(0); // keeps its capacity
    return buffer;
}

QString ItemBatch::subText(qsizetype row, qsizetype most) const
{
    const Row& r = rows_[size_t(row)];
    const QStringView chunk(chunks_[size_t(r.chunk)]);
    const QStringView sub = chunk.sliced(r.pos + r.textLen + 1, r.subLen);
    if (r.moreLen == 0)
        return sub.left(most).toString();
    const QStringView more = chunk.sliced(r.pos + r.textLen + 1 + r.subLen + 1, r.moreLen);
    QString text;
    text.reserve(qMin(r.subLen + joiner_.size() + r.moreLen, most));
    for (QStringView part : { sub, QStringView(joiner_), more })
        text.append(part.left(most - text.size()));
    return text;
}

void ItemBatch::append(const ItemBatch& other)
{
    const qint32 shift = qint32(chunks_.size());
    chunks_.insert(chunks_.end(), other.chunks_.begin(), other.chunks_.end());
    if (joiner_.isEmpty())
        joiner_ = other.joiner_;
    rows_.reserve(rows_.size() + other.rows_.size());
    for (Row r : other.rows_) {
        r.chunk += shift;
        rows_.push_back(r);
    }
    // Copies made from now on go to a chunk of this batch's own.
    own_ = -1;
}

void ItemBatch::reset()
{
    rows_.clear();
    for (QString& chunk : chunks_) {
        // Only a chunk nobody else shares can be written into again.
        if (chunk.isDetached() && chunk.capacity() > 0)
            spare_.push_back(std::move(chunk));
    }
    chunks_.clear();
    own_ = -1;
}

void ItemBatch::rollBack(const Mark& to)
{
    rows_.resize(qMin(rows_.size(), to.rows));
    while (chunks_.size() > to.chunks) {
        if (chunks_.back().isDetached() && chunks_.back().capacity() > 0)
            spare_.push_back(std::move(chunks_.back()));
        chunks_.pop_back();
    }
    if (own_ >= qint32(chunks_.size()))
        own_ = -1;
}

qsizetype ItemBatch::capacity() const
{
    qsizetype total = 0;
    for (const auto* list : { &chunks_, &spare_ })
        for (const QString& chunk : *list)
            total += chunk.capacity();
    return total;
}

} // namespace quillmoor
