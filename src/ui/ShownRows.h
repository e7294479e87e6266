#pragma once

#include <QSortFilterProxyModel>
#include <functional>

namespace quillmoor {

// The rows a list shows of its model: those its filter keeps, all without
// one. Rows hide and show again in runs, as Qt's own views filter, so a find
// that hides 90,000 rows costs one pass over them rather than a header
// update per row; a changed row is filtered again alone. It may also say
// more of a row than the model does (setRoles).
class ShownRows : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    // Keeps the model's rows for which `keeps` (given the model's row)
    // answers true, now and as rows come and change; none: every row.
    void setFilter(std::function<bool(int row)> keeps);
    bool filtering() const { return bool(keeps_); }
    // Asked first for what a row says under a role, with the model's index:
    // an invalid answer leaves the model's own.
    void setRoles(std::function<QVariant(const QModelIndex& index, int role)> roles) { roles_ = std::move(roles); }

    QVariant data(const QModelIndex& index, int role) const override;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    std::function<bool(int)> keeps_;
    std::function<QVariant(const QModelIndex&, int)> roles_;
};

} // namespace quillmoor
