#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class QTimer;

namespace quillmoor {

// A passing notice at the foot of a list, in the manner of the desktops'
// own ("18 saved searches cleared" with an Undo button): it says what a
// large edit did and how to take it back, takes no keyboard from the user,
// and goes after a while, or sooner when the handlers dismiss it.
class UndoNotice : public QFrame {
    Q_OBJECT
public:
    // Lies over the lower edge of `over`, and follows it as it is resized.
    explicit UndoNotice(QWidget* over);

    static constexpr int kShownMs = 10000;
    // Shows `text`, with the Undo button where the edit it names can be
    // taken back, for kShownMs, replacing a notice already shown.
    void showNotice(const QString& text, bool canUndo = true);
    void dismiss();
    bool isShown() const { return !isHidden(); }
    QString text() const;
    QPushButton* undoButton() const { return undo_; }

signals:
    void undoClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeOverFoot();

    QLabel* text_;
    QPushButton* undo_;
    QTimer* timer_;
};

} // namespace quillmoor
