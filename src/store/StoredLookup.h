#pragma once

#include <QString>
#include <QStringView>
#include <utility>
#include <vector>

namespace quillmoor {

// Which entries a stored value holds, for asking of many entries in turn. A
// long list is never held a second time as texts or as a set of them: each
// entry is known by a hash of it and where its piece starts in the value,
// and a hash that matches is checked against the piece itself, so two
// entries that hash alike are still told apart. Looks into `value`, which
// must outlive it unchanged.
class StoredLookup {
public:
    explicit StoredLookup(const QString& value);
    bool contains(QStringView entry) const;

private:
    // The entry as the piece from `from` up to the next "|" stands for.
    QStringView piece(qsizetype from) const;

    const QString& value_;
    bool escaped_ = false;
    std::vector<std::pair<size_t, qsizetype>> entries_; // by hash
};

} // namespace quillmoor
