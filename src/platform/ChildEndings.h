#pragma once

#include <QObject>

namespace quillmoor {

// Tells when children of the program have ended, from SIGCHLD: one watch,
// two descriptors in all, however many launchers were let go (a launcher
// that became the browser may never end, and must hold nothing meanwhile).
class ChildEndings : public QObject {
    Q_OBJECT
public:
    // The one watch, set up at the first call.
    static ChildEndings* instance();

signals:
    // Some child has ended since the last time; which ones, waitpid says.
    void ended();

private:
    ChildEndings();
    void drain();

    int readFd_ = -1;
};

} // namespace quillmoor
