#pragma once

#include "MessageHook.h"

#include <QList>
#include <QString>
#include <optional>

namespace quillmoor {

// Reads the command line before any window or display is needed. Answers
// the exit status when the program ends here: 0 after --help or --version,
// 2 for an option it does not know, 1 when there is no display to open the
// window on (each said on standard output or standard error). Answers
// nothing when the window is to open.
std::optional<int> handleCommandLine(int argc, char* argv[]);

// Held while the application object is made. A display that is named but
// does not answer (a stale DISPLAY after ssh, a missing plugin) makes Qt
// abort with several lines; this says why in one line on standard error and
// ends with status 1 instead. Qt's other messages in the meantime are passed
// on unchanged once the object is made.
class DisplayCheck {
public:
    DisplayCheck();
    ~DisplayCheck();

private:
    struct HeldMessage {
        QtMsgType type;
        QString category;
        QString text;
    };
    static void passOn(const HeldMessage& held);
    bool hold(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QList<HeldMessage> held_;
    MessageListener listener_;
};

} // namespace quillmoor
