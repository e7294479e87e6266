#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace quillmoor {

// Turns SIGTERM, SIGINT and SIGHUP into an ordinary close of the window, so
// the saved searches are written as on any other close. The signal handler
// only writes a byte to a pipe; the close runs later on the event loop.
class SignalCloser : public QObject {
    Q_OBJECT
public:
    explicit SignalCloser(std::function<void()> close, QObject* parent = nullptr);
    ~SignalCloser() override;

private:
    std::function<void()> close_;
    QSocketNotifier* notifier_ = nullptr;
};

// When the connection to the display breaks (the X server died, an ssh
// connection carrying it dropped), Qt says so and ends the program at once,
// from within the event loop. `save` runs in between, so the saved searches
// and the pages still waiting are not lost with the display. It must not
// touch a window.
class DisplayLossCloser {
public:
    explicit DisplayLossCloser(std::function<void()> save);
    ~DisplayLossCloser();
    DisplayLossCloser(const DisplayLossCloser&) = delete;
    DisplayLossCloser& operator=(const DisplayLossCloser&) = delete;
};

} // namespace quillmoor
