#pragma once

#include <QCoreApplication>
#include <QString>

class QWidget;

namespace quillmoor {

// Draws the window in a skin: a Qt style sheet read from a skin file.
class SkinFramework {
    Q_DECLARE_TR_FUNCTIONS(SkinFramework)

public:
    enum Option {
        // A skin that Qt cannot parse is a failure instead of being ignored.
        RejectInvalidSkin = 1,
    };

    // Reads the style sheet from `path`, drawn over the current Qt style.
    // Throws Failure when the file cannot be read.
    void loadSkin(const QString& path);

    int options() const { return options_; }
    void setOptions(int options) { options_ = options; }
    // Nothing is drawn in the skin until it is enabled.
    void setEnabled(bool enabled) { enabled_ = enabled; }
    // Also skin the program's message boxes, not only its window.
    void setSkinDialogs(bool on) { skinDialogs_ = on; }

    // Draws `window` in the loaded skin from now on. Throws Failure when the
    // skin is rejected; the window then keeps its previous look.
    void applyWindow(QWidget* window);

private:
    QString path_;
    QString sheet_;
    int options_ = 0;
    bool enabled_ = false;
    bool skinDialogs_ = false;
};

} // namespace quillmoor
