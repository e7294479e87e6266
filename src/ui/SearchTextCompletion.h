#pragma once

#include <QObject>
#include <QStringList>
#include <utility>
#include <vector>

class QCompleter;
class QLineEdit;
class QStringListModel;

namespace quillmoor {

class SearchListModel;

// While a search text is typed, the texts of the saved searches that start
// with it (in any case) are offered, newest first, without their " site:":
// Down and Return take one. The texts are gathered again, with an index in
// the alphabet's order that finds those a keystroke matches at once, only
// when the list has changed since, and only while the box has the keyboard.
class SearchTextCompletion : public QObject {
    Q_OBJECT
public:
    SearchTextCompletion(QLineEdit* box, const SearchListModel& searches, QObject* parent);

    // Whether a Return now takes the offered text picked with Down: that
    // Return adds no search. The box hears the key before the offer does.
    bool takesReturn() const;
    // The texts that start with `typed`, newest first; gathered first if
    // the list changed since.
    QStringList offered(const QString& typed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void gather();
    // Puts the texts that start with the box's text in the offer.
    void offer();

    QLineEdit* box_;
    const SearchListModel& searches_;
    QCompleter* completer_;
    QStringListModel* offer_;
    // Every text, newest first, and each one's case-folded form with its
    // place there, in the order of the folded forms.
    QStringList texts_;
    std::vector<std::pair<QString, qsizetype>> index_;
    bool stale_ = true;
    // The user moves through the texts offered (since the last keystroke).
    bool picking_ = false;
};

} // namespace quillmoor
