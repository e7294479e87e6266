#pragma once

#include <QString>
#include <QUrl>
#include <exception>
#include <utility>

namespace quillmoor {

struct Platform;

// Runs a handler's numbered statements one at a time. A statement that throws
// is reported with its line number, and the handler carries on with the
// statement after it, so one bad step never takes the rest of the work along.
// Nothing crosses the event loop: every exception ends in a report here.
class Trap {
public:
    Trap(Platform& platform, QString procedure);
    // What the handler asked of the browser is one action.
    ~Trap();
    Trap(const Trap&) = delete;
    Trap& operator=(const Trap&) = delete;

    // An ordinary statement. Answers whether it completed.
    template <class Statement> bool run(int line, Statement&& statement)
    {
        if (ended())
            return false;
        line_ = line;
        try {
            std::forward<Statement>(statement)();
            return true;
        } catch (...) {
            report(line, std::current_exception());
            return false;
        }
    }

    // The test of a conditional. A test that fails goes on inside the
    // conditional, as if it had passed.
    template <class Test> bool test(int line, Test&& condition)
    {
        if (ended())
            return false;
        line_ = line;
        try {
            return std::forward<Test>(condition)();
        } catch (...) {
            report(line, std::current_exception());
            return true;
        }
    }

    // A counted loop: `head` sets the counter up and answers whether a first
    // pass runs, `step` advances it and answers whether another pass runs. A
    // failing head still enters the body with the counter as it stood; a
    // failing step leaves the loop.
    template <class Head, class Body, class Step>
    void loop(int headLine, Head&& head, Body&& body, int stepLine, Step&& step)
    {
        if (!test(headLine, head))
            return;
        for (;;) {
            body();
            if (ended())
                return;
            bool again = false;
            if (!run(stepLine, [&] { again = step(); }) || !again)
                return;
        }
    }

    // Once the window has been unloaded the handler ends at its next
    // statement: a handler that waited on a report while the program was
    // closed must not act on a list that has already been saved.
    bool ended() const;

    // The handler, and the line of the statement running now: what asks
    // the browser for a page names them, so a failure found later is
    // reported where it was asked for.
    const QString& procedure() const { return procedure_; }
    int line() const { return line_; }

    // Asks the browser for `url` on behalf of the statement running now.
    void openUrl(const QUrl& url);

    // A failure that is not reported again while it stays the same: the
    // text last reported is kept in `last`, which the caller empties once
    // the fault has gone.
    void quietRepeats(QString& last) { lastReported_ = &last; }

    // Reports `failure` as a failure of statement `line`, also one found
    // after the statement ended (a launcher that failed later).
    void report(int line, std::exception_ptr failure);

private:
    Platform& platform_;
    QString procedure_;
    int line_ = 0;
    QString* lastReported_ = nullptr;
    bool opened_ = false;
};

// The one sentence a failure is reported with.
QString describeFailure(std::exception_ptr failure);

} // namespace quillmoor
