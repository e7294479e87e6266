// The window's colours: white by design, the desktop's where its scheme is
// dark, and the button face on request.
#include "Form1.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace quillmoor {

namespace {

    void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
    {
        QPalette palette = widget->palette();
        palette.setColor(role, colour);
        widget->setPalette(palette);
    }

} // namespace

void Form1::useButtonFaceBackground()
{
    buttonFaceBackground_ = true;
    applyColours();
}

void Form1::applyColours()
{
    // The window, its frames and its buttons are white by design, with the
    // desktop's text colours on them. A dark scheme's text is light and
    // would vanish on white: there the backgrounds come from the scheme too.
    scheme_ = QGuiApplication::palette();
    const bool dark = scheme_.color(QPalette::WindowText).lightnessF() > scheme_.color(QPalette::Window).lightnessF();
    const QColor face = scheme_.color(QPalette::Button);
    const QColor buttons = dark ? face : QColor(Qt::white);
    const QColor background = buttonFaceBackground_ ? face : dark ? scheme_.color(QPalette::Window) : buttons;
    setColour(this, QPalette::Window, background);
    for (QPushButton* button :
        { addSearchButton, openSelectedButton, openAllButton, deleteButton, clearAllButton, exampleButton })
        setColour(button, QPalette::Button, buttons);
    if (!buttonFaceBackground_)
        return;
    // Only the kinds of control that show the window's background take the
    // button face; buttons, lists and text boxes keep their own.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(child) || qobject_cast<QGroupBox*>(child) || qobject_cast<QCheckBox*>(child)
            || qobject_cast<QRadioButton*>(child)) {
            setColour(child, QPalette::Window, background);
            child->setAutoFillBackground(true);
        }
    }
}

} // namespace quillmoor
