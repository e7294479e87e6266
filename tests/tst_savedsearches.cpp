// The saved-search list through the window: written on close, read at
// start-up, never lost, whatever stands in the settings file.
#include "Application.h"
#include "Backups.h"
#include "Form1.h"
#include "ListView.h"
#include "OpenedRecord.h"
#include "SavedLists.h"
#include "SearchMenu.h"
#include "SearchStore.h"
#include "SearchesFile.h"
#include "SignalCloser.h"
#include "StoreSupport.h"
#include "UndoNotice.h"

#include <QPushButton>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace quillmoor;
using test::itemTexts;
using test::settingsRead;

namespace {

struct Store : test::StoreFiles {
    // Closes a window that shows `entries` and answers what the next start shows.
    QStringList roundTrip(const QStringList& entries)
    {
        save(entries);
        return itemTexts(*desktop.load()->form().savedList);
    }
    void save(const QStringList& entries)
    {
        auto app = desktop.load();
        app->searches().clear();
        app->searches().append(entries);
        app->form().close();
    }
};

} // namespace

class SavedSearchesTest : public QObject {
    Q_OBJECT

private slots:
    void entriesComeBackAsTheyWere()
    {
        Store store;
        const QStringList entries = { "A", " b site:x.org ", "ü€ site:z", "dup", "dup", "=;\"#[x]\\,", "@at",
            QStringLiteral("\uFEFF first"), QStringLiteral("\x01\uFEFF\U0010FFFF\uFFFF"),
            QStringLiteral("t\tb\x01") + u'f' + QChar(0) + u'7', "  lead", "trail\t ", "😀 site:e" };
        QCOMPARE(store.roundTrip(entries), entries);
        QCOMPARE(store.value(), entries.join(u'|') + u'|');
        QCOMPARE(store.desktop.reports, QStringList());

        // Entries with bars stay whole; so does text that looks escaped.
        const QStringList bars = { "a|b", "|", "100% %7C", "plain" };
        QCOMPARE(store.roundTrip(bars), bars);
        QCOMPARE(store.value(), QStringLiteral("|a%7Cb|%7C|100%25 %257C|plain|"));

        // Empty entries are not restored; an empty list stores the empty text.
        QCOMPARE(store.roundTrip({ "", "x", "" }), QStringList { "x" });
        QCOMPARE(store.roundTrip({}), QStringList());
        QCOMPARE(store.value(), QString());
        QCOMPARE(store.desktop.reports, QStringList());
    }

    void valuesWrittenByHandReadAsBefore()
    {
        Store store;
        const auto restored = [&](const QString& value) {
            store.setValue(value);
            return itemTexts(*store.desktop.load()->form().savedList);
        };
        QCOMPARE(restored(QStringLiteral("X|Y")), (QStringList { "X", "Y" })); // no final bar
        QCOMPARE(restored(QStringLiteral("||||")), QStringList());
        QCOMPARE(restored(QStringLiteral("a%7Cb|c%25|")), (QStringList { "a%7Cb", "c%25" })); // old format: kept as is
        QCOMPARE(restored(QStringLiteral("|a%7cb|")), QStringList { "a|b" });
        QCOMPARE(store.desktop.reports, QStringList());
        // A close that changed nothing leaves the file byte for byte.
        store.desktop.write(QStringLiteral("config/Marrowfen.ini"), "[Quillmoor]\nSearches = a|b| ; by hand\n");
        store.desktop.load()->form().close();
        QCOMPARE(store.bytes(), QByteArray("[Quillmoor]\nSearches = a|b| ; by hand\n"));
    }

    // The other lists come back after a restart, under keys QSettings reads;
    // a hand-edited file whose list keys disagree loses none of its searches.
    void listsComeBackAndHandEditsLoseNothing()
    {
        Store store;
        {
            auto app = store.desktop.load();
            app->searches().append({ "a" });
            app->lists().rename(0, "Bikes");
            app->lists().insert(1, "Futon", QStringList { "f1", "f2" });
            app->lists().insert(2, "Kayak", QStringList {});
            app->form().close();
        }
        const QVariantMap read = settingsRead(store.desktop.settingsFile());
        QCOMPARE(read.value("Quillmoor/Lists").toString(), QStringLiteral("Bikes|Futon|Kayak|"));
        QCOMPARE(read.value("Quillmoor/" + listKey("Futon")).toString(), QStringLiteral("f1|f2|"));
        QCOMPARE(store.value(), QStringLiteral("a|"));
        {
            auto app = store.desktop.load();
            QCOMPARE(app->lists().names(), (QStringList { "Bikes", "Futon", "Kayak" }));
            QCOMPARE(app->lists().model(1).entries(), (QStringList { "f1", "f2" }));
            QCOMPARE(store.desktop.reports, QStringList());
        }

        store.desktop.write(QStringLiteral("config/Marrowfen.ini"),
            "[Quillmoor]\nSearches=a|\nLists=Bikes|Futon|Futon|Tent|\n" + listKey("Futon").toLatin1()
                + "=f1|\nSearches-00ff=stray|\n");
        auto app = store.desktop.load();
        const QString found = QStringLiteral("Found under Searches-00ff");
        QCOMPARE(app->lists().names(), (QStringList { "Bikes", "Futon", "Tent", found }));
        QCOMPARE(app->lists().model(3).entries(), QStringList { "stray" });
        QCOMPARE(store.desktop.reports.size(), 1);
        app->form().close();
        const QVariantMap after = settingsRead(store.desktop.settingsFile());
        QCOMPARE(after.value("Quillmoor/" + listKey(found)).toString(), QStringLiteral("stray|"));
        QCOMPARE(after.value("Quillmoor/Searches-00ff").toString(), QString());
        QCOMPARE(after.value("Quillmoor/Lists").toString(), "Bikes|Futon|Tent|" + found + "|");
    }

    // Files as people leave them: what the next start shows and says, and
    // the whole file after adding "new" and closing. Lines other than ours
    // come back byte for byte, whatever they hold.
    void settingsFileShapes()
    {
        const QByteArray huge = "@Variant(\\0\\0\\0\\v\\x7f\\xff\\xff\\xff)"; // a list claiming 2^31 - 1 texts
        // Stops far apart in a value longer than the pieces it is checked in.
        const QByteArray as(70000, 'a'), bs(70000, 'b');
        const struct {
            const char* name;
            QByteArray file;
            QStringList shown;
            bool reported; // at start-up line 142, and the file kept aside
            QByteArray after;
        } shapes[] = {
            { "commas with blanks", "[Quillmoor]\nSearches=a, b|c,d|\n", { "a, b", "c,d" }, false,
                "[Quillmoor]\nSearches=\"a, b|c,d|new|\"\n" },
            { "lone surrogate", "[Quillmoor]\nSearches=a\\xd800|b|\n", { QStringLiteral("a\uFFFD"), "b" }, false,
                "[Quillmoor]\nSearches=a\xef\xbf\xbd|b|new|\n" },
            { "quotes and a comment", "[Quillmoor]\r\nSearches = \"x; y|\" ; note\r\n[Z]\r\nz=1\r\n", { "x; y" }, false,
                "[Quillmoor]\r\nSearches=\"x; y|new|\"; note\r\n[Z]\r\nz=1\r\n" },
            { "continued line", "[Quillmoor]\nSearches=@@p\\\n  q|@|\n", { "@p  q", "@" }, false,
                "[Quillmoor]\nSearches=@@p  q|@|new|\n" },
            { "not text, here and elsewhere", "[A]\nv=" + huge + "\n[Quillmoor]\nSearches=" + huge + "\nx=1\n", {},
                true, "[A]\nv=" + huge + "\n[Quillmoor]\nSearches=new|\nx=1\n" },
            { "no section, no last line break", "[A]\nk=1", {}, false, "[A]\nk=1\n\n[Quillmoor]\nSearches=new|\n" },
            { "section without the key", "[Quillmoor]\nother=1\n", {}, false, "[Quillmoor]\nSearches=new|\nother=1\n" },
            { "mark", "\xEF\xBB\xBF[Quillmoor]\r\nSearches=one|two|\r\n", { "one", "two" }, false,
                "\xEF\xBB\xBF[Quillmoor]\r\nSearches=one|two|new|\r\n" },
            // The open quote swallows the rest, our section too: the new one
            // goes ahead of it.
            { "unclosed quote before", "[Other]\nnote=he said \"hi\n[Quillmoor]\nSearches=x|\n", {}, false,
                "[Quillmoor]\nSearches=new|\n[Other]\nnote=he said \"hi\n[Quillmoor]\nSearches=x|\n" },
            { "unclosed quote before, in [General]", "note=\"hi\n", {}, false,
                "[Quillmoor]\nSearches=new|\n[General]\nnote=\"hi\n" },
            { "unclosed quote after", "[Quillmoor]\nSearches=x|\nnote=\"hi\n", { "x" }, false,
                "[Quillmoor]\nSearches=x|new|\nnote=\"hi\n" },
            { "% escapes in names", "[Quill%6Door]\nSearch%65s=p|\n", { "p" }, false,
                "[Quill%6Door]\nSearches=p|new|\n" },
            { "duplicate sections and keys",
                "[Quillmoor]\nSearches=a|\n[A]\nx=1\n[Quillmoor]\nSearches=b|\nSearches=c|\n", { "c" }, false,
                "[Quillmoor]\nSearches=a|\n[A]\nx=1\n[Quillmoor]\nSearches=b|\nSearches=c|new|\n" },
            { "long value", "[Quillmoor]\nSearches=" + as + "\\t" + bs + ",c|\"d;e\"|\n",
                { QString::fromLatin1(as + '\t' + bs + ",c"), "d;e" }, false,
                "[Quillmoor]\nSearches=\"" + as + "\\t" + bs + ",c|d;e|new|\"\n" },
            { "CR line ends", "[Quillmoor]\rSearches=a|\r", { "a" }, false, "[Quillmoor]\rSearches=a|new|\r" },
            { "UTF-8 split by quotes", "[Quillmoor]\nSearches=\"\xE2\x82\"\xAC|\n", { "\u20AC" }, false,
                "[Quillmoor]\nSearches=\xE2\x82\xAC|new|\n" },
            { "our header's quote runs to the end", "[Quillmoor]\"\nSearches=x|\n", {}, false,
                "[Quillmoor]\"\nSearches=x|\n\"\nSearches=new|\n" },
            // Not a header to QSettings: "Searches" there is a key of [General].
            { "form feed", "\f[Quillmoor]\nSearches=f|\n", {}, false,
                "\f[Quillmoor]\nSearches=f|\n\n[Quillmoor]\nSearches=new|\n" },
            // A mark that comes first in the decoded text is dropped; U+FEFF is
            // written escaped so it comes back.
            { "U+FEFF", "[Quillmoor]\nSearches=\xEF\xBB\xBFx|\\t\xEF\xBB\xBFy|\n", { "x", "\t\uFEFFy" }, false,
                "[Quillmoor]\nSearches=x|\\t\\xfeffy|new|\n" },
        };
        for (const auto& shape : shapes) {
            Store store;
            // What QSettings reads, from a copy: it keeps what it read of a path.
            // It decodes "@Variant(…)" at any cost in memory, which the program
            // never does: such a file is not given to it whole.
            const bool serialized = shape.file.contains("@Variant(");
            store.desktop.write(QStringLiteral("before.ini"), shape.file);
            QVariantMap before
                = serialized ? QVariantMap() : settingsRead(store.desktop.dir.filePath(QStringLiteral("before.ini")));
            const QVariant searches = before.value(QStringLiteral("Quillmoor/Searches"));
            if (searches.typeId() == QMetaType::QString)
                QVERIFY2(storedEntries(withoutLoneSurrogates(searches.toString())) == shape.shown, shape.name);
            else // no text to QSettings, or a list where commas are text here
                QVERIFY2(shape.shown.isEmpty() || searches.typeId() == QMetaType::QStringList, shape.name);
            store.desktop.write(QStringLiteral("config/Marrowfen.ini"), shape.file);
            auto app = store.desktop.load();
            QVERIFY2(itemTexts(*app->form().savedList) == shape.shown, shape.name);
            app->searches().append({ QStringLiteral("new") });
            app->form().close();
            const QStringList once = shape.reported ? QStringList { QStringLiteral("Form_Load:142") } : QStringList();
            QVERIFY2(store.desktop.where() == once, shape.name);
            // The list's version has a line of its own, as a new key does.
            static const QRegularExpression version(
                QStringLiteral("SearchesVersion=[0-9a-f]{16}\\.1\\.[0-9a-f]{8}\r?\n?"));
            QCOMPARE(QString::fromLatin1(store.bytes()).remove(version).toLatin1(), shape.after);
            // What QSettings itself reads from the new file: the list, and
            // every other key as before.
            QCOMPARE(store.value(), storedValue(shape.shown + QStringList { "new" }));
            QVariantMap after = serialized ? QVariantMap() : settingsRead(store.desktop.settingsFile());
            after.remove(QStringLiteral("Quillmoor/Searches"));
            QVERIFY(after.take(QStringLiteral("Quillmoor/SearchesVersion")).isValid() || serialized);
            before.remove(QStringLiteral("Quillmoor/Searches"));
            QCOMPARE(after, before);
            QStringList names = { "Marrowfen.ini" };
            if (shape.reported) {
                names << QStringLiteral("Marrowfen.ini.unreadable");
                QFile aside(store.desktop.settingsFile() + QStringLiteral(".unreadable"));
                QVERIFY(aside.open(QIODevice::ReadOnly));
                QCOMPARE(aside.readAll(), shape.file);
            }
            QCOMPARE(store.names(), names);
        }
    }

    // A link is written through to its target; anything but an ordinary
    // file is reported at start and at close, never waited on, and leaves
    // no staged file behind.
    void whatStandsAtTheFilesPlace()
    {
        const auto link = [](const QByteArray& target, const QString& at) {
            QVERIFY(::symlink(target.constData(), QFile::encodeName(at).constData()) == 0);
        };
        for (const QByteArray target : { "/dev/zero", "", "." }) {
            Store store;
            QDir().mkpath(QFileInfo(store.desktop.settingsFile()).path());
            const QString file = store.desktop.settingsFile();
            if (target.isEmpty())
                QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
            else
                link(target, file);
            store.save({ "lost" });
            QCOMPARE(store.desktop.where(),
                (QStringList { QStringLiteral("Form_Load:142"), QStringLiteral("Form_QueryUnload:106") }));
            QVERIFY(store.desktop.description(1).contains(QStringLiteral("not an ordinary file")));
            // What the window showed is kept beside it, and the report says where.
            QVERIFY(store.desktop.description(1).contains(u'"' + file + QStringLiteral(".rescued\"")));
            QCOMPARE(store.names(), (QStringList { "Marrowfen.ini", "Marrowfen.ini.rescued" }));
            QCOMPARE(QFileInfo(file).isSymLink(), !target.isEmpty());
            if (!target.isEmpty())
                continue;
            // The next start that can write the file takes it back into it
            // and says so as good news; the rescue file goes, and no later
            // start takes it in again.
            QVERIFY(QFile::remove(file));
            store.setValue(QStringLiteral("other|"));
            auto next = store.desktop.load();
            QCOMPARE(itemTexts(*next->form().savedList), (QStringList { "lost", "other" }));
            QCOMPARE(store.desktop.reports.size(), 2);
            QVERIFY(store.desktop.information.value(0).startsWith(QStringLiteral("1 saved search that a close")));
            QCOMPARE(store.names(), QStringList { "Marrowfen.ini" });
            QCOMPARE(store.value(), QStringLiteral("lost|other|"));
            QCOMPARE(itemTexts(*store.desktop.load()->form().savedList), (QStringList { "lost", "other" }));
        }

        // Dotfiles kept elsewhere: the link stays, its target takes the list
        // and keeps its mode, except that not everyone may write it.
        Store store;
        const QString dotfiles = store.desktop.dir.filePath(QStringLiteral("dotfiles"));
        store.desktop.write(QStringLiteral("dotfiles/Marrowfen.ini"), "[Quillmoor]\nSearches=old|\n");
        QFile::setPermissions(dotfiles + QStringLiteral("/Marrowfen.ini"),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther
                | QFile::WriteOther);
        QDir().mkpath(QFileInfo(store.desktop.settingsFile()).path());
        link("../dotfiles/Marrowfen.ini", store.desktop.settingsFile());
        QCOMPARE(store.roundTrip({ "old", "new" }), (QStringList { "old", "new" }));
        QVERIFY(QFileInfo(store.desktop.settingsFile()).isSymLink());
        QCOMPARE(store.names(dotfiles), QStringList { "Marrowfen.ini" });
        QCOMPARE(store.names(), QStringList { "Marrowfen.ini" });
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(dotfiles + QStringLiteral("/Marrowfen.ini")).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, 0664u);

        // A link whose target is not there yet creates the target.
        Store dangling;
        QDir().mkpath(QFileInfo(dangling.desktop.settingsFile()).path());
        link("target.ini", dangling.desktop.settingsFile());
        dangling.save({ "x" });
        QVERIFY(QFileInfo(dangling.desktop.settingsFile()).isSymLink());
        QCOMPARE(dangling.value(), QStringLiteral("x|"));
        QCOMPARE(dangling.desktop.reports, QStringList());
    }

    void twoCopiesKeepEachOthersSearches()
    {
        // Two windows on one store, the first closed first.
        Store store;
        store.setValue(QStringLiteral("a|b|"));
        auto first = store.desktop.load();
        auto second = store.desktop.load();
        first->searches().append({ QStringLiteral("one") });
        first->form().close();
        second->searches().append({ QStringLiteral("a|two") });
        second->searches().remove({ 0 });
        second->form().close();
        QCOMPARE(itemTexts(*store.desktop.load()->form().savedList), (QStringList { "b", "a|two", "one" }));
        QCOMPARE(store.desktop.reports, QStringList());

        // Another program's doing while a window is open: a file gone or
        // emptied, our section gone, or a file made anew cleared nothing;
        // another copy that cleared the list did.
        const struct {
            const char* name;
            std::function<void(Store&)> meddle;
            QString saved;
        } meddled[] = {
            { "deleted", [](Store& s) { QVERIFY(QFile::remove(s.desktop.settingsFile())); }, "a|b|c|" },
            { "zero bytes", [](Store& s) { s.desktop.write(QStringLiteral("config/Marrowfen.ini"), ""); }, "a|b|c|" },
            { "no section", [](Store& s) { s.desktop.write(QStringLiteral("config/Marrowfen.ini"), "[Other]\nk=1\n"); },
                "a|b|c|" },
            { "made anew by an import",
                [](Store& s) {
                    QVERIFY(
                        QFile::rename(s.desktop.settingsFile(), s.desktop.dir.filePath(QStringLiteral("away.ini"))));
                    s.desktop.write(QStringLiteral("config/Marrowfen.ini"), "[Quillmoor]\nSearches=C|\n");
                },
                "a|b|c|C|" },
            { "cleared by another copy",
                [](Store& s) {
                    auto other = s.desktop.load();
                    other->searches().clear();
                    other->form().close();
                },
                "c|" },
        };
        for (const auto& m : meddled) {
            Store one;
            one.setValue(QStringLiteral("a|b|"));
            auto window = one.desktop.load();
            window->searches().append({ QStringLiteral("c") });
            m.meddle(one);
            window->form().close();
            QVERIFY2(one.value() == m.saved, qPrintable(QStringLiteral("%1: %2").arg(m.name, one.value())));
        }
    }

    // While both run, each window shows what the other saved, as no step
    // of its own; a backup comes back as one step, and the list it replaced
    // is kept too.
    void othersChangesShowAndBackupsComeBack()
    {
        Store store;
        store.setValue(QStringLiteral("a|b|"));
        auto one = store.desktop.load();
        auto two = store.desktop.load();
        two->searches().append({ QStringLiteral("beta") });
        two->searches().remove({ 0 });
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(*one->form().savedList), (QStringList { "b", "beta" }), 5000);
        QVERIFY(!one->undoStack().canUndo());
        two.reset();

        const QString folder = backupFolder(store.desktop.dir.filePath(QStringLiteral("data/quillmoor")));
        QVERIFY(!keepBackup(folder, { "x", "y" }, QDateTime::currentDateTime().addDays(-1)).isEmpty());
        // The oldest: the first save of the day kept one of its own. Their
        // counts come while the dialog asks, read off the window's thread.
        QStringList shown;
        one->editing().askBackup = [&](const QStringList& choices, const QString&, ChoiceText* later) {
            shown = choices;
            *later = [&](int index, const QString& text) { shown[index] = text; };
            const bool counted = QTest::qWaitFor([&] { return !shown.join(u' ').contains(u'\u2026'); });
            return counted && choices.first().endsWith(u'\u2026') ? int(choices.size()) - 1 : -1;
        };
        one->editing().restoreBackup();
        QVERIFY(shown.size() >= 2 && shown.last().endsWith(QStringLiteral(" 2 searches")));
        QCOMPARE(itemTexts(*one->form().savedList), (QStringList { "x", "y" }));
        one->undoStack().undo();
        QCOMPARE(itemTexts(*one->form().savedList), (QStringList { "b", "beta" }));
        const auto keptBefore = [&] {
            const QList<Backup> backups = listBackups(folder);
            return std::any_of(backups.begin(), backups.end(), [](const Backup& b) {
                return readSearchEntries(b.file) == QStringList { "b", "beta" };
            });
        };
        QTRY_VERIFY(keptBefore());
        QCOMPARE(store.desktop.reports, QStringList());
    }

    // Another copy's paste costs this window neither its selection nor its
    // own last step; a change of the row a step names costs the history,
    // and Undo says why there is none.
    void othersChangesKeepWhatTheyDoNotTouch()
    {
        Store store;
        store.setValue(QStringLiteral("a|b|c|d|e|"));
        auto one = store.desktop.load();
        auto two = store.desktop.load();
        ListView& list = *one->form().savedList;
        list.selectRow(4);
        one->form().deleteButton->click();
        list.selectRow(2);
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(*two->form().savedList), (QStringList { "a", "b", "c", "d" }), 5000);
        two->searches().insert(1, { QStringLiteral("x") });
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), (QStringList { "a", "x", "b", "c", "d" }), 5000);
        QCOMPARE(list.selectedRows(), QList<qsizetype> { 3 });
        one->undoStack().undo();
        QCOMPARE(itemTexts(list), (QStringList { "a", "x", "b", "c", "d", "e" }));
        // The Delete to do again names "e", which the other copy removes.
        QTRY_COMPARE_WITH_TIMEOUT(two->searches().count(), 6, 5000);
        two->searches().remove({ 5 });
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list).size(), 5, 5000);
        QVERIFY(!one->undoStack().canUndo() && !one->undoStack().canRedo());
        SearchMenu& menu = *one->form().searchMenu;
        emit list.contextMenuRequested(-1, list.mapToGlobal(QPoint()));
        QCOMPARE(
            menu.action(SearchMenu::Entry::Undo)->text(), QStringLiteral("Can't Undo: Another Copy Changed the List"));
        QVERIFY(!menu.action(SearchMenu::Entry::Undo)->isEnabled());
        menu.close();
        QCOMPARE(store.desktop.reports, QStringList());
    }

    // A sync tool's conflict copy beside the file comes into the window's
    // list, said in passing by the notice, with nothing to undo.
    void aConflictCopyComesIntoTheWindow()
    {
        Store store;
        store.setValue(QStringLiteral("a|"));
        auto app = store.desktop.load();
        const QString copy = QFileInfo(store.desktop.settingsFile())
                                 .dir()
                                 .filePath(QStringLiteral("Marrowfen.sync-conflict-20261208-101010-ABCDEF7.ini"));
        QSettings(copy, QSettings::IniFormat).setValue("Quillmoor/Searches", "a|b|");
        const UndoNotice* notice = app->form().savedListNotice;
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(*app->form().savedList), (QStringList { "a", "b" }), 5000);
        QVERIFY(notice->isShown() && notice->undoButton()->isHidden());
        QCOMPARE(notice->text(), QStringLiteral("1 search from another computer's copy came back"));
        QVERIFY(!QFileInfo::exists(copy));
        QCOMPARE(store.desktop.reports, QStringList());
    }

    // Clear All keeps the list as a backup and says how to have it back:
    // the notice's Undo does, and the next edit takes a notice away.
    void clearAllSaysHowToTakeItBack()
    {
        Store store;
        store.setValue(QStringLiteral("a|b|c|"));
        auto app = store.desktop.load();
        Form1& form = app->form();
        const UndoNotice* notice = form.savedListNotice;
        QTest::mouseClick(form.clearAllButton, Qt::LeftButton);
        QCOMPARE(form.savedList->count(), 0);
        QVERIFY(notice->isShown());
        QCOMPARE(notice->text(), QStringLiteral("3 saved searches cleared"));
        const QString folder = backupFolder(store.desktop.dir.filePath(QStringLiteral("data/quillmoor")));
        QTRY_VERIFY(!listBackups(folder).isEmpty());
        QCOMPARE(readSearchEntries(listBackups(folder).first().file), (QStringList { "a", "b", "c" }));
        QTest::mouseClick(notice->undoButton(), Qt::LeftButton);
        QCOMPARE(itemTexts(*form.savedList), (QStringList { "a", "b", "c" }));
        QVERIFY(!notice->isShown());
        form.savedList->selectRows({ 0, 2 });
        QTest::mouseClick(form.deleteButton, Qt::LeftButton);
        QVERIFY(notice->isShown());
        QTest::mouseClick(form.exampleButton, Qt::LeftButton);
        QVERIFY(!notice->isShown());
        QCOMPARE(store.desktop.reports, QStringList());
    }

    // When searches were opened shows in the list, Open Not Opened Today
    // opens the others, and the times and the pace outlive the window; a
    // pace not understood counts as the default and stays.
    void openedTimesAndThePaceAreKept()
    {
        Store store;
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        const QByteArray today = QByteArray::number(now);
        store.desktop.write(QStringLiteral("config/Marrowfen.ini"),
            "[Quillmoor]\nSearches=a|b|c|a|\nSearchesOpened=" + today + " a|" + QByteArray::number(now - 4 * 86400)
                + " b|junk|" + today + " gone|\nOpenPace=fast\n");
        // As the list shows them.
        const auto row = [](Application& app, int row) { return app.form().savedList->model()->index(row, 0); };
        const auto tips = [&](Application& app) {
            QStringList tips;
            for (int i = 0; i < app.searches().rowCount(); ++i)
                tips << row(app, i).data(Qt::ToolTipRole).toString().section(u' ', 0, 1);
            return tips;
        };
        for (const int pace : { 0, 5000 }) {
            auto app = store.desktop.load();
            QCOMPARE(app->form().searchMenu->pace(), QString::number(pace));
            if (pace) {
                // Asked before the times read at the start have come in:
                // they are waited for, and only the new text opens.
                app->form().show();
                emit app->form().searchMenu->openNotToday();
                QCOMPARE(store.desktop.opened.size(), 3);
                break;
            }
            // Read after the window shows, and shown once read.
            QTRY_COMPARE(tips(*app), (QStringList { "Opened today", "Opened 4", "Not opened", "Opened today" }));
            QVERIFY(row(*app, 0).data(Qt::DecorationRole).isValid());
            QVERIFY(!row(*app, 1).data(Qt::DecorationRole).isValid());
            app->form().show();
            emit app->form().searchMenu->openNotToday();
            QCOMPARE(store.desktop.opened.size(), 2);
            QCOMPARE(store.desktop.opened.at(1), QUrl(QStringLiteral("https://www.google.com/search?q=c")));
            QCOMPARE(tips(*app), QStringList(4, QStringLiteral("Opened today")));
            app->form().close();
            QVERIFY(store.bytes().contains("OpenPace=fast"));
            // A new text has no time; another pace is the user's.
            app = store.desktop.load();
            app->searches().replace(2, { QStringLiteral("c2") });
            QCOMPARE(tips(*app).at(2), QStringLiteral("Not opened"));
            app->form().searchMenu->paceMenu()->actions().at(3)->trigger();
            app->form().close();
        }
        const OpenedRecord kept = openedRecordFromText(
            settingsRead(store.desktop.settingsFile()).value(QStringLiteral("Quillmoor/SearchesOpened")).toString());
        QCOMPARE(kept.keys().size(), 2);
        QCOMPARE(kept.value(QStringLiteral("a")), now);
        QVERIFY(kept.value(QStringLiteral("b")) >= now);

        // A save keeps the time of a search that another list holds.
        store.desktop.write(QStringLiteral("config/Marrowfen.ini"),
            "[Quillmoor]\nSearches=a|\nLists=Saved Searches|Futon|\n" + listKey("Futon").toLatin1() + "=f|\nSearchesOpened="
                + today + " f|\n");
        auto app = store.desktop.load();
        app->searches().replace(0, { QStringLiteral("a2") });
        app->form().close();
        QCOMPARE(settingsRead(store.desktop.settingsFile()).value(QStringLiteral("Quillmoor/SearchesOpened")),
            QString(today + " f|"));
    }

    void aHundredThousandEntries()
    {
        Store store;
        QStringList entries;
        for (int i = 0; i < 100000; ++i)
            entries << QStringLiteral("item %1 site:city%2.listora.org").arg(i).arg(i % 300);
        QCOMPARE(store.roundTrip(entries), entries);
        QCOMPARE(store.desktop.reports, QStringList());
    }

    void anUnwritableStoreKeepsThePreviousValue()
    {
        Store store;
        store.setValue(QStringLiteral("old|"));
        // Root may write anywhere, so the write is made to fail through the
        // file-size limit: the new value is larger than a file may grow.
        struct rlimit saved;
        getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
        store.save({ QString(10000, u'n') });
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(store.desktop.where(), QStringList { QStringLiteral("Form_QueryUnload:106") });
        QVERIFY(store.desktop.description(0).contains(QStringLiteral("(is it full?)")));
        QCOMPARE(store.value(), QStringLiteral("old|"));
        QCOMPARE(store.names(), QStringList { "Marrowfen.ini" });

        // A settings folder that cannot be made at all.
        Store blocked;
        blocked.desktop.write(QStringLiteral("config"), "a file where the folder should be");
        blocked.save({ "x" });
        QCOMPARE(blocked.desktop.where(), QStringList { QStringLiteral("Form_QueryUnload:106") });
    }

    void aHandEditedFileThatDoesNotParseIsNotALoss()
    {
        Store store;
        store.desktop.write(
            QStringLiteral("config/Marrowfen.ini"), "[Other]\nkept=1\n[Quillmoor]\nSearches=one|two|\n[broken\nx=1\n");
        auto app = store.desktop.load();
        QCOMPARE(itemTexts(*app->form().savedList), (QStringList { "one", "two" }));
        app->searches().append({ QStringLiteral("three") });
        app->form().close();
        // Said once, at start-up, naming the copy; the close adds nothing.
        const QString aside = store.desktop.settingsFile() + QStringLiteral(".unreadable");
        QCOMPARE(store.desktop.where(), QStringList { QStringLiteral("Form_Load:142") });
        QVERIFY(store.desktop.description(0).contains(u'"' + aside + u'"'));
        QCOMPARE(store.value(), QStringLiteral("one|two|three|"));
        const QSettings written(store.desktop.settingsFile(), QSettings::IniFormat);
        QCOMPARE(written.status(), QSettings::NoError);
        QCOMPARE(written.value("Other/kept").toInt(), 1);
        QCOMPARE(written.value("broken/x").toInt(), 1);
        QFile copy(aside);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QVERIFY(copy.readAll().endsWith("[broken\nx=1\n"));

        // A later, different broken file never replaces the earlier copy.
        store.desktop.write(QStringLiteral("config/Marrowfen.ini"), "[again\n");
        store.desktop.load()->form().close();
        QCOMPARE(store.desktop.where().size(), 2);
        QVERIFY(store.desktop.description(1).contains(aside + QStringLiteral(".2\"")));
        copy.seek(0);
        QVERIFY(copy.readAll().endsWith("[broken\nx=1\n"));
    }

    // Our header's quote runs to the end of the file, and the backslash there
    // takes along whatever comes next: no line can stand in the section, which
    // may not be added twice. The file is kept aside whole, said once at the
    // close, and a new one holds the list.
    void aFileNothingFitsIsKeptAside()
    {
        Store store;
        const QByteArray old = "[Quillmoor]\"\\";
        store.desktop.write(QStringLiteral("config/Marrowfen.ini"), old);
        store.save({ "y" });
        QCOMPARE(store.desktop.where(), QStringList { QStringLiteral("Form_QueryUnload:106") });
        QVERIFY(store.desktop.description(0).contains(QStringLiteral("Marrowfen.ini.unreadable\"")));
        QCOMPARE(store.value(), QStringLiteral("y|"));
        QFile aside(store.desktop.settingsFile() + QStringLiteral(".unreadable"));
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), old);
    }

    void terminationClosesLikeTheUser()
    {
        Store store;
        Application app(store.desktop.platform());
        SignalCloser closer([&app] { app.requestClose(); });
        app.start();
        app.searches().append({ QStringLiteral("kept") });
        QVERIFY(app.form().isVisible());
        std::raise(SIGTERM);
        QTRY_VERIFY(!app.form().isVisible());
        QCOMPARE(store.value(), QStringLiteral("kept|"));
    }
};

QTEST_MAIN(SavedSearchesTest)
#include "tst_savedsearches.moc"
