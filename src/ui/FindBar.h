#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace quillmoor {

class ListView;

// The find box of a list: it lies over the list's column headers and
// narrows the rows shown to those whose text holds what is typed (any part,
// any case, as the city filter finds names), saying how many of how many
// show. Escape, or its one close button, closes it and every row shows
// again.
class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(ListView* list);

    // Shows the box with its text selected, the keyboard in it.
    void open();
    // Hides the box; the list shows every row and takes the keyboard.
    void closeFind();
    bool isOpen() const { return isVisible(); }

    QLineEdit* box() const { return box_; }
    // What it says of the rows shown: "12 of 240 searches shown".
    QString countText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void narrow(const QString& text);
    void placeOverHeader();

    ListView* list_;
    QLineEdit* box_;
    QLabel* count_;
};

} // namespace quillmoor
