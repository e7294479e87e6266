#pragma once

#include <QObject>

class QCompleter;
class QLineEdit;
class QStringListModel;

namespace quillmoor {

class SearchListModel;

// While a search text is typed, the texts of the saved searches that start
// with it are offered, newest first, without their " site:": Down and
// Return take one. The offer is gathered again only when the list has
// changed since, and only while the box has the keyboard.
class SearchTextCompletion : public QObject {
    Q_OBJECT
public:
    SearchTextCompletion(QLineEdit* box, const SearchListModel& searches, QObject* parent);

    // Whether a Return now takes the offered text picked with Down: that
    // Return adds no search. The box hears the key before the offer does.
    bool takesReturn() const;
    // The texts offered now, gathered first if the list changed since.
    QStringList offered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const SearchListModel& searches_;
    QCompleter* completer_;
    QStringListModel* texts_;
    bool stale_ = true;
};

} // namespace quillmoor
