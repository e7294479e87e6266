#pragma once

#include <QObject>
#include <functional>
#include <utility>

namespace quillmoor {

struct Platform;

// A run of pages where the user reaches it while the browser has the front
// and the keyboard: the desktop's notification ("Opening pages: 18 of 60")
// with Stop Opening, and Open the Rest once stopped; the run's progress on
// the program's launcher; and the stop another copy asks for
// (`quillmoor --stop-opening`). A short run shows none of it.
class OpeningNotice : public QObject {
    Q_OBJECT
public:
    explicit OpeningNotice(Platform& platform, QObject* parent = nullptr);
    ~OpeningNotice() override;

    static constexpr int kAbovePages = 5;

    // Stops the run, answering how many pages it kept from the browser.
    std::function<int()> stop;
    // Opens what a stop kept; unset where nothing is kept to open.
    std::function<void()> openRest;

    // `handed` of `total` pages are handed over; a total of 0 once none waits.
    void progress(int handed, int total);
    // Opening stopped after `handed` of `total`, `rest` kept; no rest once
    // those are opened or gone.
    void stopped(int handed, int total, int rest);

private:
    void show(int handed, int total);
    void endRun();
    void withdrawSoon();
    void chosen(const QString& key);

    Platform& platform_;
    std::pair<int, int> latest_;
    bool posted_ = false;
    bool running_ = false;
    bool restShown_ = false;
};

} // namespace quillmoor
