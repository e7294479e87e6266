#pragma once

#include "SearchListModel.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace quillmoor {

// The named lists of saved searches, each a model of its own, and which of
// them the window shows. The first is the list the program always had; it
// can be renamed but not deleted, as older builds read it. A list that goes
// keeps its model until the end, so that an undo step that names it can
// bring it back whole.
class SearchLists : public QObject {
    Q_OBJECT
public:
    SearchLists(SearchListModel& first, QString firstName, QObject* parent = nullptr);
    ~SearchLists() override;

    qsizetype count() const { return lists_.size(); }
    const QString& name(qsizetype i) const { return lists_.at(i).name; }
    QStringList names() const;
    SearchListModel& model(qsizetype i) const { return *lists_.at(i).model; }
    // -1 where there is none.
    qsizetype indexOf(const QString& name) const;
    qsizetype indexOf(const SearchListModel* model) const;

    qsizetype shownIndex() const { return shown_; }
    SearchListModel& shown() const { return model(shown_); }
    void show(qsizetype i);

    // A new list of `entries` at `at` (1 to count()), or the model a list
    // had before it went, with what it holds.
    SearchListModel& insert(qsizetype at, const QString& name, const QStringList& entries);
    SearchListModel& insert(qsizetype at, const QString& name, SearchListModel* model);
    // The list at `at` (not the first) goes; the list before it shows when
    // it did. Answers its model, which stays valid.
    SearchListModel* remove(qsizetype at);
    void rename(qsizetype at, const QString& name);

signals:
    // A list came, went or was renamed.
    void namesChanged();
    // Another list shows, or the list shown moved.
    void shownChanged(qsizetype index);
    // A list's searches changed, whichever it is.
    void listChanged();

private:
    struct List {
        QString name;
        SearchListModel* model;
    };
    QList<List> lists_;
    qsizetype shown_ = 0;
    std::vector<std::unique_ptr<SearchListModel>> owned_;
};

} // namespace quillmoor
