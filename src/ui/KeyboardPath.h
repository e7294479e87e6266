#pragma once

#include <QObject>

class QLineEdit;

namespace quillmoor {

class ListView;

// Leads the keyboard from the filter box into the city list (Down) and from
// there to the search box (Return or Enter), where Return adds the search:
// type a filter, Down, Return, the search, Return.
class KeyboardPath : public QObject {
public:
    KeyboardPath(QLineEdit* filter, ListView* cities, QLineEdit* search, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* filter_;
    ListView* cities_;
    QLineEdit* search_;
};

} // namespace quillmoor
