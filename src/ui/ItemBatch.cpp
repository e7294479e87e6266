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
    dead_.push_back(0);
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
    dead_.pop_back();
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
    if (r.more.len == 0)
        return view(r.sub).left(most).toString();
    QString text;
    text.reserve(qMin(r.sub.len + joiner_.size() + r.more.len, most));
    for (QStringView part : { view(r.sub), QStringView(joiner_), view(r.more) })
        text.append(part.left(most - text.size()));
    return text;
}

void ItemBatch::setSubText(qsizetype row, QStringView sub)
{
    const Span span = copy(sub);
    Row& r = rows_[size_t(row)];
    Row old;
    std::swap(old.sub, r.sub);
    std::swap(old.more, r.more);
    r.sub = span;
    forget(old);
}

void ItemBatch::remove(qsizetype row)
{
    const Row gone = rows_[size_t(row)];
    rows_.erase(rows_.begin() + row);
    forget(gone);
}

void ItemBatch::forget(const Row& row)
{
    const Span* const spans[] = { &row.text, &row.sub, &row.more };
    for (const Span* s : spans) {
        if (s->len > 0)
            dead_[size_t(s->chunk)] += s->len;
    }
    // Memory follows the rows: a chunk that is more than half unused is
    // copied down to what is still used. More characters were given up
    // since the last copy than this one keeps, so the copying costs little
    // on average.
    for (const Span* s : spans) {
        const size_t c = size_t(s->chunk);
        if (s->len > 0 && 2 * dead_[c] > chunks_[c].size())
            compact(s->chunk);
    }
}

void ItemBatch::compact(qint32 number)
{
    const QString old = std::move(chunks_[size_t(number)]);
    QString kept;
    kept.reserve(qMax<qsizetype>(0, old.size() - dead_[size_t(number)]));
    for (Row& r : rows_) {
        for (Span* s : { &r.text, &r.sub, &r.more }) {
            if (s->chunk == number && s->len > 0) {
                const qsizetype at = kept.size();
                kept.append(QStringView(old).sliced(s->pos, s->len));
                s->pos = at;
            }
        }
    }
    chunks_[size_t(number)] = std::move(kept);
    dead_[size_t(number)] = 0;
}

void ItemBatch::append(const ItemBatch& other)
{
    const qint32 shift = qint32(chunks_.size());
    chunks_.insert(chunks_.end(), other.chunks_.begin(), other.chunks_.end());
    dead_.insert(dead_.end(), other.dead_.begin(), other.dead_.end());
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
    dead_.clear();
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
