#pragma once

#include <QSemaphore>
#include <QtGlobal>
#include <atomic>
#include <functional>

namespace quillmoor {

// Qt's messages pass through one handler of the program's own. While a
// listener lives it sees every message first (the newest listener first) and
// answers whether it has dealt with it; what no listener takes goes on to
// Qt's own output.
class MessageListener {
public:
    using Listen = std::function<bool(QtMsgType type, const QMessageLogContext& context, const QString& text)>;
    explicit MessageListener(Listen listen);
    ~MessageListener();
    MessageListener(const MessageListener&) = delete;
    MessageListener& operator=(const MessageListener&) = delete;

    // Writes a message as Qt would have, for a listener that took it.
    static void passOn(QtMsgType type, const QMessageLogContext& context, const QString& text);

private:
    Listen listen_;
    friend void dispatchMessage(QtMsgType, const QMessageLogContext&, const QString&);
};

// When the connection to the display breaks (the X server died, an ssh
// connection carrying it dropped), Qt says so and ends the program at once,
// from within the event loop. `save` runs in between, so the saved searches
// and the pages still waiting are not lost with the display; then the
// program ends with Qt's status. `save` must not touch a window.
class DisplayLossCloser {
public:
    explicit DisplayLossCloser(std::function<void()> save);

private:
    // On the main thread only: the work, done once.
    void saveOnce();

    std::function<void()> save_;
    std::atomic<bool> posted_ = false;
    QSemaphore done_;
    MessageListener listener_;
};

} // namespace quillmoor
