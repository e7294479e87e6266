#pragma once

#include "LocationFile.h"
#include "ReadAhead.h"
#include "SearchStore.h"

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

class QWidget;

namespace quillmoor {

class Form1;
class SkinFramework;
struct Platform;
class Trap;

inline const QString kProductName = QStringLiteral("Quillmoor");
inline const QUrl kHomePage = QUrl(QStringLiteral("https://marrowfen.example/"));

// Whether the last-modified time of `path` can be read. Never fails.
bool FileExists(const QString& path);

// Gives the window, its frames and labels the button-face colour and hands
// the window to the skin, when x/o.cjs is an ordinary file. Throws Failure
// when the skin cannot be read or applied.
void ApplySkin(Form1& form, SkinFramework& skin, const QString& applicationFolder);

// About one start in a hundred also opens the maker's home page.
void ShowHomePageAtRandom(Platform& platform, Trap& trap);

// The application title for a product name: cut at its last blank until it
// is at most 40 characters long; a name without a blank is kept whole, cut to
// 40 characters when longer.
QString shortenTitle(const QString& name);
void SetApplicationTitle();

// Makes the pointer file the window's custom pointer image. Throws Failure
// when it is not a pointer image, leaving the window as it was.
void loadMouseIcon(Form1& form, const QString& path);

// The application icon in all its sizes.
QIcon applicationIcon();

// What the start reads from files, begun on threads of their own before the
// window is built and taken by the steps that need them. Building the window
// takes about as long as reading a large list.txt, which it then hides.
class StartupReads {
public:
    StartupReads(const QString& cityListPath, const QString& settingsFile, const QStringList& settingsKeys);
    // The files the start reads with `platform`'s folders.
    static std::unique_ptr<StartupReads> of(const Platform& platform);
    // The files the start reads with the desktop's folders, found before Qt
    // starts, so that they are read while it does (mostly waiting for the
    // display); where a folder turns out otherwise, the start reads the
    // file itself.
    static std::unique_ptr<StartupReads> ofThisProgram();

    // list.txt, for the load to take when it still is the file read.
    ReadAhead<LocationFile::WholeList> cities;
    // What GetSettings(settingsFile, the section, settingsKeys) gives now.
    StoredTexts settings();
    // StoredPieces(value).entries(), made ahead when `value` is the saved
    // searches as settings() gave them.
    QStringList entriesOf(const QString& value);

private:
    QString settingsFile_;
    QStringList settingsKeys_;
    // The keys, and the saved searches' value cut into its entries: a long
    // list's texts take as long to make as the file to read.
    struct SettingsRead {
        StoredTexts stored;
        QStringList entries;
    };
    ReadAhead<std::optional<SettingsRead>> settings_;
    std::optional<SettingsRead> settingsRead_;
};

} // namespace quillmoor
