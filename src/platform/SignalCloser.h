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

} // namespace quillmoor
