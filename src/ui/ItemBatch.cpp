#include "ItemBatch.h"

namespace quillmoor {

ItemBatch::Span ItemBatch::copy(QStringView text)
{
    if (own_ < 0)
        own_ = hold(QString());
    QString& own = chunks_[size_t(own_)];
    const Span span { own.size(), own_, qint32(text.size()) };
    own.append(text);
    return span;
}

void ItemBatch::add(QStringView text, QStringView sub)
{
    Row row;
    row.text = copy(text);
    row.sub = copy(sub);
    rows_.push_back(row);
}

qint32 ItemBatch::hold(QString&& chunk)
{
    chunks_.push_back(std::move(chunk));
    return qint32(chunks_.size() - 1);
}

void ItemBatch::releaseUnused(qint32 number)
{
    if (number != qint32(chunks_.size()) - 1 || number == own_)
        return;
    if (!rows_.empty()) {
        const Row& last = rows_.back();
        if (last.text.chunk == number || last.sub.chunk == number || last.more.chunk == number)
            return;
    }
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

QString ItemBatch::subText(qsizetype row) const
{
    const Row& r = rows_[size_t(row)];
    if (r.more.len == 0)
        return view(r.sub).toString();
    QString text;
    text.reserve(r.sub.len + joiner_.size() + r.more.len);
    return text.append(view(r.sub)).append(joiner_).append(view(r.more));
}

void ItemBatch::setSubText(qsizetype row, QStringView sub)
{
    const Span span = copy(sub);
    Row& r = rows_[size_t(row)];
    r.sub = span;
    r.more = Span();
}

void ItemBatch::append(const ItemBatch& other)
{
    const qint32 shift = qint32(chunks_.size());
    chunks_.insert(chunks_.end(), other.chunks_.begin(), other.chunks_.end());
    if (joiner_.isEmpty())
        joiner_ = other.joiner_;
    rows_.reserve(rows_.size() + other.rows_.size());
    for (Row r : other.rows_) {
        for (Span* s : { &r.text, &r.sub, &r.more })
            s->chunk += shift;
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
