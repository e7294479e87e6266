#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace quillmoor {

// Everything that leaves the process goes through this one value, so tests can
// swap in recorders: no test may block on a dialog, start a browser or touch
// the user's own settings.
struct Platform {
    // Shows a modal warning box with one OK button and returns when it closes.
    std::function<void(const QString& title, const QString& text)> showMessage;
    // Hands an address to the desktop's default handler; throws Failure when
    // nothing could be started.
    std::function<void(const QUrl& url)> openUrl;
    // The home-page lottery: a whole number from 1 to 100.
    std::function<int()> drawLottery;
    // The folder that holds the executable, without a trailing separator.
    QString applicationFolder;
    // The INI file of the per-user settings store.
    QString settingsFile;

    // The real desktop: QMessageBox, QDesktopServices, a generator seeded with
    // the seconds since midnight, the executable's folder, the user's config.
    static Platform desktop();
};

// 1..100 from a generator seeded with `seed`, the way the lottery draws.
int drawOneToHundred(unsigned seed);

} // namespace quillmoor
