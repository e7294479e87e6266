#pragma once

#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <memory>

namespace quillmoor {
class Application;
}

namespace quillmoor::test {

// A platform that records instead of acting: reports, opened addresses and
// the lottery draw, with a temporary application folder and settings file.
struct FakeDesktop {
    QTemporaryDir dir;
    QStringList reports; // exact report texts, in order
    QStringList information; // news that is no fault, in order
    QList<QUrl> opened; // addresses handed to the browser, in order
    QStringList openedBy; // "Procedure:line" of the action that asked for each
    int lottery = 50;
    std::function<void(const QUrl&)> failOpen; // throws to simulate a browser that cannot start
    std::function<void()> duringReport; // runs while a report is shown, as a signal arriving then would
    QList<int> askedToOpen; // page counts asked about before opening
    std::function<bool(int, bool&)> answerToOpen; // the answer; unset: open, ask again
    // Hears the window ask for the browser's name; unset: never answered.
    std::function<void(std::function<void(const QString&)>)> browserName;

    FakeDesktop() { QStandardPaths::setTestModeEnabled(true); }

    QString folder() const { return dir.path(); }
    QString settingsFile() const { return dir.filePath(QStringLiteral("config/Marrowfen.ini")); }

    Platform platform()
    {
        Platform p;
        p.showMessage = [this](const QString& title, const QString& text) {
            if (title != QLatin1String("Application Error"))
                reports << QStringLiteral("WRONG TITLE ") + title;
            reports << text;
            if (duringReport)
                duringReport();
        };
        p.showInformation = [this](const QString&, const QString& text) { information << text; };
        p.openUrl = [this](const QUrl& url, const QString& procedure, int line) {
            if (failOpen)
                failOpen(url);
            opened << url;
            openedBy << procedure + u':' + QString::number(line);
        };
        p.askToOpen = [this](int pages, bool& askAgain) {
            askedToOpen << pages;
            return !answerToOpen || answerToOpen(pages, askAgain);
        };
        p.drawLottery = [this] { return lottery; };
        p.askBrowserName = [this](QObject*, std::function<void(const QString&)> answer) {
            if (browserName)
                browserName(std::move(answer));
        };
        p.applicationFolder = folder();
        p.userDataFolder = dir.filePath(QStringLiteral("data/quillmoor"));
        p.settingsFile = settingsFile();
        return p;
    }

    void write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(bytes);
    }

    // "Procedure:line" of every report so far, in order.
    QStringList where() const
    {
        static const QRegularExpression pattern(QStringLiteral("Form1\\.(\\w+) at line (\\d+)\r\r"));
        QStringList places;
        for (const QString& text : reports) {
            const auto match = pattern.match(text);
            places << (match.hasMatch() ? match.captured(1) + u':' + match.captured(2) : text);
        }
        return places;
    }
    // The failure description of report `i`.
    QString description(int i) const { return reports.at(i).section(QStringLiteral("\r\n"), 0, 0); }

    // The window, loaded; a suite that starts it includes Application.h,
    // and one that does not links no window.
    template <class App = Application> std::unique_ptr<App> load()
    {
        auto app = std::make_unique<App>(platform());
        app->Form_Load();
        return app;
    }
};

// The item texts of a list, in order.
template <class List> QStringList itemTexts(const List& list)
{
    QStringList texts;
    for (qsizetype i = 0; i < list.count(); ++i)
        texts << list.itemText(i);
    return texts;
}

template <class List> QStringList subItemTexts(const List& list)
{
    QStringList texts;
    for (qsizetype i = 0; i < list.count(); ++i)
        texts << list.subItemText(i);
    return texts;
}

} // namespace quillmoor::test
