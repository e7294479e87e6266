// Composing, opening and editing saved searches through the window's buttons.
#include "Application.h"
#include "FindBar.h"
#include "Form1.h"
#include "ListTabs.h"
#include "ListView.h"
#include "OpenedShown.h"
#include "OpenedTimes.h"
#include "ResultsPage.h"
#include "SearchesInFiles.h"
#include "BookmarksHtml.h"
#include "SearchEngine.h"
#include "SearchListModel.h"
#include "SearchMenu.h"
#include "SearchQuery.h"
#include "ShownText.h"
#include "TestSupport.h"
#include "UndoNotice.h"
#include "WhereToOpen.h"

#include <QAccessible>
#include <QClipboard>
#include <QCompleter>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringListModel>
#include <QUndoStack>
#include <QtTest>
#include <random>

using namespace quillmoor;
using test::itemTexts;

namespace {

const QByteArray kCities = "http://boston.listora.org/,Boston,Massachusetts\r\n"
                           "http://chicago.listora.org/,Chicago,Illinois\r\n";

QString engine(const char* encodedQuery)
{
    return QStringLiteral("https://www.google.com/search?q=") + QLatin1String(encodedQuery);
}

struct Window {
    test::FakeDesktop desktop;
    std::unique_ptr<Application> app;
    Form1* form = nullptr;

    explicit Window(const QStringList& searches = {}, const QByteArray& cities = kCities)
    {
        desktop.write(QStringLiteral("list.txt"), cities);
        app = desktop.load();
        form = &app->form();
        for (const QString& search : searches)
            app->searches().append({ search });
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form))
            qFatal("window did not activate");
    }

    void add(int city, const QString& text)
    {
        if (city >= 0)
            form->cityList->selectRow(city);
        form->searchTextBox->setText(text);
        QTest::mouseClick(form->addSearchButton, Qt::LeftButton);
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void clickCity(int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QRect rect = form->cityList->visualRect(form->cityList->model()->index(row, 1));
        QTest::mouseClick(form->cityList->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    QStringList takeSearches(const QString& text)
    {
        form->searchTextBox->setText(text);
        click(form->addSearchButton);
        const QStringList searches = itemTexts(*form->savedList);
        app->searches().clear();
        return searches;
    }
    QStringList opened() const
    {
        QStringList urls;
        for (const QUrl& url : desktop.opened)
            urls << QString::fromLatin1(url.toEncoded());
        return urls;
    }
};

} // namespace

class SearchesTest : public QObject {
    Q_OBJECT

private slots:
    void hostAndQuery()
    {
        const char* hosts[][2] = {
            { "http://boston.listora.org/", "boston.listora.org" },
            { "https://a.listora.org/", "a.listora.org" },
            { "HTTP://Caps.listora.org/", "Caps.listora.org" }, // the host keeps its case
            { "hTtPs://x.org", "x.org" },
            { "http://a.listora.org/fr/", "a.listora.org/fr" }, // a path keeps its slashes
            { "http://boston.listora.org/a/b//", "boston.listora.org/a/b/" }, // one final slash goes
            { "x.org", "x.org" }, // no scheme: as it is
            { "x.org/", "x.org/" },
            { "ftp://x.org/", "ftp://x.org/" },
            { "see http://x.org/", "see http://x.org/" }, // a scheme only at the start
            { "http:/x.org", "http:/x.org" },
            { "https://", "" },
            { " http://a.listora.org/", "a.listora.org" }, // blanks around it are no part of it
            { "\thttps://b.listora.org/ \r", "b.listora.org" },
            { "http:// c.listora.org/", "c.listora.org" },
        };
        for (const auto& [address, host] : hosts)
            QCOMPARE(siteHost(QString::fromLatin1(address)), QString::fromLatin1(host));
        QCOMPARE(searchQuery(QStringLiteral(" a&b # "), QStringLiteral("http://x.org/")),
            QStringLiteral(" a&b #  site:x.org"));
    }

    void engineAddressIsPercentEncoded()
    {
        QCOMPARE(SearchEngine()
                     .url(QStringLiteral("a&b #c+d \"x\" ü-._~ site:boston.listora.org"), PageAge::Any, QDate())
                     .toEncoded(),
            engine("a%26b%20%23c%2Bd%20%22x%22%20%C3%BC-._~%20site%3Aboston.listora.org").toLatin1());
        // Shell syntax is an ordinary query: nothing of it survives unencoded.
        QCOMPARE(SearchEngine()
                     .url(QStringLiteral("\"; rm -rf ~; \" $(reboot) `id` 'q'"), PageAge::Any, QDate())
                     .toEncoded(),
            engine("%22%3B%20rm%20-rf%20~%3B%20%22%20%24%28reboot%29%20%60id%60%20%27q%27").toLatin1());
    }

    // A results page's address, as any engine (or the user's own) made it or
    // a browser kept it, gives back the searches it was made from; any other
    // page gives none.
    void resultsPagesGiveBackTheirSearches()
    {
        const QString search = QStringLiteral("road bike & \"fixie\" +ü site:boston.listora.org");
        const QString pair = QStringLiteral("futon (site:a.listora.org OR site:b.listora.org)");
        QList<SearchEngine> engines = SearchEngine::known();
        engines << *SearchEngine::fromKey(QStringLiteral("https://find.example/s/%s/all?x=1"))
                << *SearchEngine::fromKey(QStringLiteral("https://own.example/?lang=en&term=%s"));
        for (const SearchEngine& engine : engines) {
            for (const PageAge age : kPageAges) {
                const QString page = QString::fromUtf8(engine.url(search, age, QDate(2026, 12, 9)).toEncoded());
                QCOMPARE(searchesOfAddress(page, engines), QStringList { search });
            }
            QCOMPARE(searchesOfAddress(engine.url(pair, PageAge::Any, QDate()).toString(), engines),
                (QStringList { "futon site:a.listora.org", "futon site:b.listora.org" }));
        }
        const char* rows[][2] = {
            { "https://www.google.com/search?q=road+bike+site%3Aboston.listora.org&tbs=qdr:w&oq=x",
                "road bike site:boston.listora.org" },
            { "HTTPS://WWW.GOOGLE.COM/search?hl=en&q=a%2Bb+site:x.org", "a+b site:x.org" },
            { "https://duckduckgo.com/?q=kayak+site%3Ab.listora.org&ia=web", "kayak site:b.listora.org" },
            { "https://boston.listora.org/", "" }, // a city's own sub-site
            { "https://www.google.com/search?q=road+bike", "" }, // no city
            { "https://www.google.com/search?q=site%3Ab.listora.org", "" }, // no text
            { "https://www.google.com/maps?q=a+site%3Ab.org", "" }, // another page of the engine's host
            { "https://www.google.com/search?q=a+(site%3Ab.org+OR+c)", "" }, // a combined page gone wrong
            { "javascript:alert('a site:b.org')", "" },
            { "data:text/html,a site:b.org", "" },
        };
        for (const auto& [address, entry] : rows)
            QCOMPARE(searchesOfAddress(QString::fromUtf8(address), engines).join(u'|'), QString::fromUtf8(entry));
    }

    // Bookmarks files as Firefox and Chromium write them, and as a hand (or
    // a fault) leaves them, give their links with their innermost folders;
    // what this program writes reads back the same.
    void bookmarksFilesAreReadAsBrowsersWriteThem()
    {
        const QString file = QStringLiteral(
            "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<!-- <A HREF=\"no\">commented out</A> -->\n"
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n<H1>Bookmarks Menu</H1>\n"
            "<DL><p>\n    <DT><A HREF=\"https://top.example/?a=1&amp;b=2\" ADD_DATE=\"1\">Top &lt;1&gt;</A>\n"
            "    <DT><H3 PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks Toolbar</H3>\n    <DL><p>\n"
            "        <DT><a href='https://bar.example/'>Bar\n  link</a>\n"
            "        <DT><H3 ADD_DATE=\"2\">Bikes &amp; Trailers</H3>\n        <DL><p>\n"
            "            <DT><A HREF=\"https://b.example/\">B&#x1b;&#233;&#0;&bogus;</A>\n"
            "            <DT><H3>Empty</H3>\n            <DL><p>\n            </DL><p>\n"
            "            <DT><A HREF=\"https://c.example/\" TITLE=\">\">C</A>\n        </DL><p>\n"
            "    </DL><p>\n    </DL><p>\n    <DT><A HREF=\"https://after.example/\">After</A>\n"
            "    <DT><H3>Unclosed</H3>\n    <DL><p><DT><A HREF=\"https://u.example/\">U</A>");
        QStringList read;
        for (const Bookmark& link : readBookmarks(file))
            read << link.folder + u'>' + link.address + u'>' + link.title;
        QCOMPARE(read,
            (QStringList { ">https://top.example/?a=1&b=2>Top <1>", ">https://bar.example/>Bar link",
                "Bikes & Trailers>https://b.example/>B\u00e9&bogus;", "Bikes & Trailers>https://c.example/>C",
                ">https://after.example/>After", "Unclosed>https://u.example/>U" }));
        QVERIFY(looksLikeBookmarks("\xEF\xBB\xBF \n<!doctype netscape-bookmark-file-1>"));
        QVERIFY(!looksLikeBookmarks("<!DOCTYPE html><DL>"));
        QVERIFY(looksLikeWebPage(" <!doctype HTML><DL>") && looksLikeWebPage("<html>") && !looksLikeWebPage("html"));
        QCOMPARE(bookmarksCharset(file.toUtf8()), QByteArray("utf-8"));

        const QList<BookmarkFolder> folders = { { QStringLiteral("Futon & \"Sofa\" <beds>"),
            { { {}, QStringLiteral("https://x.example/?q=a&b=\"c\""), QStringLiteral("a & b – Boston") } } },
            { QStringLiteral("Empty"), {} } };
        const QList<Bookmark> back = readBookmarks(QString::fromUtf8(bookmarksFileBytes(folders)));
        QCOMPARE(back.size(), 1);
        QCOMPARE(back[0].folder, folders[0].name);
        QCOMPARE(back[0].address, folders[0].links[0].address);
        QCOMPARE(back[0].title, folders[0].links[0].title);
    }

    // An import takes lines of text, results pages' addresses and bookmarks
    // files alike, each search with its folder; what is no search is counted.
    void importsTakeWhatBrowsersKept()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("in"));
        const auto import = [&](const QByteArray& bytes, QStringList& got) {
            QFile out(file);
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
                return ImportCount { -1 };
            out.close();
            got.clear();
            return forEachImportedSearch(
                file, enginesToRead(SearchEngine()),
                [&](const QString& folder, QString&& search) { got << folder + u'>' + search; }, [&] { got.clear(); });
        };
        QStringList got;
        ImportCount count = import("tent site:a.org\r\nhttps://www.google.com/search?q=cot+site%3Ab.org\n"
                                   "https://a.listora.org/\nHTTPS://duckduckgo.com/?q=mat+%28site%3Ac.org+OR+site%3Ad.org%29\n",
            got);
        QCOMPARE(got, (QStringList { ">tent site:a.org", ">cot site:b.org", ">mat site:c.org", ">mat site:d.org" }));
        QCOMPARE(count.leftOut, 1);
        QVERIFY(!count.bookmarks);
        count = import("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META CONTENT=\"text/html; charset=ISO-8859-1\">"
                       "<DL><p><DT><H3>Caf\xe9</H3><DL><p><DT><A HREF=\"https://www.bing.com/search?q=%C3%A9+site%3Aa.org\">"
                       "e</A><DT><A HREF=\"https://a.listora.org/\">city</A></DL><p>"
                       "<DT><A HREF=\"https://www.google.com/search?q=x+site:b.org\">x</A></DL>",
            got);
        QCOMPARE(got, (QStringList { "Caf\u00e9>\u00e9 site:a.org", ">x site:b.org" }));
        QCOMPARE(count.leftOut, 1);
        QVERIFY(count.bookmarks);

        // Exported as pages that share cities, each titled with its cities'
        // names, and imported back: the same searches in the same folders.
        const QList<std::pair<QString, QStringList>> lists = { { QStringLiteral("Bikes & <Co>"),
            { "road bike site:a.org", "road bike site:b.org", "kayak site:c.org" } }, { QStringLiteral("Saved Searches"), { "x" } } };
        WhereToOpen where { SearchEngine(), PageAge::Week, true };
        const QList<BookmarkFolder> folders
            = searchesAsBookmarks(lists, where, [](const QString& host) { return host.left(1).toUpper(); });
        QCOMPARE(folders.at(0).links.size(), 2);
        QCOMPARE(folders.at(0).links.at(0).title, QStringLiteral("road bike \u2013 A, B"));
        import(bookmarksFileBytes(folders), got);
        QCOMPARE(got, (QStringList { "Bikes & <Co>>road bike site:a.org", "Bikes & <Co>>road bike site:b.org",
                          "Bikes & <Co>>kayak site:c.org" }));
    }

    void addSearchComposesFromTheSelectedCity()
    {
        Window w;
        w.add(1, QStringLiteral("bike"));
        w.add(0, QStringLiteral("  ")); // blanks are a search text too
        w.add(0, QStringLiteral("  "));
        QCOMPARE(itemTexts(*w.form->savedList),
            (QStringList {
                "bike site:chicago.listora.org", "   site:boston.listora.org", "   site:boston.listora.org" }));
        QCOMPARE(w.form->searchTextBox->text(), QString());
        QCOMPARE(QApplication::focusWidget(), w.form->searchTextBox);
        // Enter in the search box adds too.
        w.form->searchTextBox->setText(QStringLiteral("sofa"));
        QTest::keyClick(w.form->searchTextBox, Qt::Key_Return);
        QCOMPARE(w.form->savedList->itemText(3), QStringLiteral("sofa site:boston.listora.org"));
        QCOMPARE(w.desktop.reports, QStringList());

        // An empty text does nothing at all, not even move the focus.
        w.form->filterBox->setFocus();
        w.form->searchTextBox->clear();
        w.form->addSearchButton->click();
        QCOMPARE(w.form->savedList->count(), 4);
        QCOMPARE(QApplication::focusWidget(), w.form->filterBox);
    }

    void severalCitiesGiveOneSearchEachInListOrder()
    {
        Window w({},
            "http://austin.listora.org/,Austin,Texas\n"
            "http://boston.listora.org/,Boston,Massachusetts\n"
            "http://dallas.listora.org/,Dallas,Texas\n"
            "http://elpaso.listora.org/,El Paso,Texas\n"
            "http://houston.listora.org/,Houston,Texas\n");
        const auto site = [](const char* text, QStringList hosts) {
            for (QString& host : hosts)
                host = QLatin1String(text) + QStringLiteral(" site:") + host + QStringLiteral(".listora.org");
            return hosts;
        };
        // Picked bottom up with Ctrl, added top down, as one insertion.
        QSignalSpy inserted(w.form->savedList->model(), &QAbstractItemModel::rowsInserted);
        w.clickCity(4);
        w.clickCity(2, Qt::ControlModifier);
        w.clickCity(0, Qt::ControlModifier);
        QCOMPARE(w.takeSearches("bike"), site("bike", { "austin", "dallas", "houston" }));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(w.form->searchTextBox->text(), QString());
        QCOMPARE(QApplication::focusWidget(), w.form->searchTextBox);
        // Ctrl-click takes a city out again; a plain click picks just one.
        w.clickCity(2, Qt::ControlModifier);
        QCOMPARE(w.takeSearches("a"), site("a", { "austin", "houston" }));
        w.clickCity(1);
        QCOMPARE(w.takeSearches("b"), site("b", { "boston" }));
        // Shift+arrows extend from the current city.
        w.form->cityList->setFocus();
        QTest::keyClick(w.form->cityList, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(w.form->cityList, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(w.takeSearches("c"), site("c", { "boston", "dallas", "elpaso" }));
        // Ctrl+A takes every city the filter shows; filtering again clears
        // the selection.
        w.form->filterBox->setText(QStringLiteral("texas"));
        w.form->cityList->setFocus();
        QTest::keyClick(w.form->cityList, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w.takeSearches("d"), site("d", { "austin", "dallas", "elpaso", "houston" }));
        w.form->filterBox->setText(QStringLiteral("tex"));
        QCOMPARE(w.takeSearches("e"), QStringList());
        QCOMPARE(w.desktop.where(), QStringList { QStringLiteral("PushButton7_Click:102") });
    }

    void cityListKeyboardStandsOnTheName()
    {
        Window w({},
            "http://austin.listora.org/,Austin,Texas\n"
            "http://boston.listora.org/,Boston,Massachusetts\n"
            "http://dallas.listora.org/,Dallas,Texas\n"
            "http://denver.listora.org/,Denver,Colorado\n"
            "http://houston.listora.org/,Houston,Texas\n");
        ListView* cities = w.form->cityList;
        // What a screen reader hears: the focused cell of the list.
        const auto heard = [cities] {
            QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(cities)->focusChild();
            return focused ? focused->text(QAccessible::Name) : QStringLiteral("nothing");
        };
        const auto press = [cities](int key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(cities, Qt::Key(key), modifiers);
            return cities->selectedRows();
        };
        cities->setFocus(Qt::TabFocusReason);
        QCOMPARE(cities->currentIndex().column(), 1);
        QCOMPARE(heard(), cities->subItemText(0));
        QVERIFY(heard().startsWith(QLatin1String("Austin")));
        QTest::keyClicks(cities, QStringLiteral("dal"));
        QCOMPARE(cities->selectedRows(), QList<qsizetype>({ 2 }));
        QVERIFY(heard().startsWith(QLatin1String("Dallas")));
        // Every address starts "http": the names are what is searched.
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(cities, QStringLiteral("ho"));
        QCOMPARE(cities->selectedRows(), QList<qsizetype>({ 4 }));
        // Ctrl moves the keyboard's place without selecting, as in any list.
        const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[]
            = { { Qt::Key_End, {} }, { Qt::Key_Home, {} }, { Qt::Key_End, Qt::ControlModifier }, { Qt::Key_Left, {} },
                  { Qt::Key_Home, Qt::ControlModifier }, { Qt::Key_Right, {} } };
        const int expected[] = { 4, 0, 4, 4, 0, 0 };
        for (size_t i = 0; i < std::size(keys); ++i) {
            press(keys[i].first, keys[i].second);
            QCOMPARE(cities->currentIndex(), cities->model()->index(expected[i], 1));
        }
        QCOMPARE(cities->selectedRows(), QList<qsizetype>({ 0 }));
        QCOMPARE(press(Qt::Key_End, Qt::ShiftModifier), QList<qsizetype>({ 0, 1, 2, 3, 4 }));
        QVERIFY(heard().startsWith(QLatin1String("Houston")));
    }

    void textBoxesHaveNoLengthLimit()
    {
        Window w;
        const QString text = QString(40000, u'x');
        QGuiApplication::clipboard()->setText(text);
        for (QLineEdit* box : { w.form->filterBox, w.form->searchTextBox }) {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(box->text(), text);
        }
    }

    void longEntriesAreShownCutButKeptWhole()
    {
        // Only the start of a long entry is shown, and a surrogate pair is
        // never cut in half; it is saved whole.
        Window w;
        const qsizetype shown = kShownLength;
        const QString across = QString(shown - 1, u'a') + QStringLiteral("\U0001F600") + QString(1 << 20, u'b');
        const QString inside = across.mid(1);
        w.app->searches().append({ across });
        w.app->searches().append({ inside });
        const QAbstractItemModel& model = *w.form->savedList->model();
        QCOMPARE(model.index(0, 0).data().toString(), across.left(shown - 1));
        QCOMPARE(model.index(1, 0).data().toString(), inside.left(shown));
        w.form->close();
        QCOMPARE(QSettings(w.desktop.settingsFile(), QSettings::IniFormat).value("Quillmoor/Searches").toString(),
            across + u'|' + inside + u'|');
    }

    void theKeyboardAloneAddsASearch()
    {
        Window window;
        ListView* cities = window.form->cityList;
        const auto press = [](int key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
            return QApplication::focusWidget();
        };
        QCOMPARE(QApplication::focusWidget(), window.form->filterBox);
        QTest::keyClicks(window.form->filterBox, QStringLiteral("chi"));
        QCOMPARE(cities->count(), 1);
        QCOMPARE(press(Qt::Key_Down), cities);
        QCOMPARE(cities->selectedRows(), QList<qsizetype>({ 0 }));
        QCOMPARE(press(Qt::Key_Return), window.form->searchTextBox);
        QTest::keyClicks(window.form->searchTextBox, QStringLiteral("bike"));
        press(Qt::Key_Return);
        QCOMPARE(itemTexts(*window.form->savedList), QStringList({ QStringLiteral("bike site:chicago.listora.org") }));
        QCOMPARE(window.desktop.reports, QStringList());

        // A city already picked stays picked; arrows then move through the
        // list, and the keypad's Enter leads on as Return does.
        window.form->filterBox->clear();
        window.clickCity(1);
        window.form->filterBox->setFocus();
        QCOMPARE(press(Qt::Key_Down), cities);
        QCOMPARE(cities->selectedRows(), QList<qsizetype>({ 1 }));
        press(Qt::Key_Up);
        QCOMPARE(cities->selectedRows(), QList<qsizetype>({ 0 }));
        QCOMPARE(press(Qt::Key_Enter, Qt::KeypadModifier), window.form->searchTextBox);
        // Down with a modifier is left to the filter box, and an empty list
        // still takes the focus without a city to pick.
        window.form->filterBox->setFocus();
        QCOMPARE(press(Qt::Key_Down, Qt::ShiftModifier), window.form->filterBox);
        QTest::keyClicks(window.form->filterBox, QStringLiteral("zzz"));
        QCOMPARE(cities->count(), 0);
        QCOMPARE(press(Qt::Key_Down), cities);
        QCOMPARE(cities->selectedRows(), QList<qsizetype>());
    }

    void addSearchWithoutACity()
    {
        Window w;
        w.form->filterBox->setText(QStringLiteral("nowhere")); // the filter leaves nothing to select
        w.add(-1, QStringLiteral("bike"));
        QCOMPARE(w.desktop.where(), QStringList { QStringLiteral("PushButton7_Click:102") });
        QVERIFY(w.desktop.description(0).startsWith(QLatin1String("No location is selected.")));
        QCOMPARE(w.form->savedList->count(), 0);
        QCOMPARE(w.form->searchTextBox->text(), QString());
        QCOMPARE(QApplication::focusWidget(), w.form->searchTextBox);
    }

    void openAllOpensEveryEntryInOrder()
    {
        Window w({ "a site:x.org", "b&c site:y.org", "d site:z.org" });
        w.form->savedList->selectRow(1);
        w.desktop.failOpen = [](const QUrl& url) {
            if (url.toEncoded().contains("b%26c"))
                throw std::runtime_error("The web browser could not be started.");
        };
        w.click(w.form->openAllButton);
        QCOMPARE(w.opened(), (QStringList { engine("a%20site%3Ax.org"), engine("d%20site%3Az.org") }));
        QCOMPARE(w.desktop.openedBy, QStringList(2, QStringLiteral("PushButton6_Click:102")));
        QCOMPARE(w.desktop.where(), QStringList { QStringLiteral("PushButton6_Click:102") });
        // Opening changes neither the list nor its selection.
        QCOMPARE(w.form->savedList->count(), 3);
        QCOMPARE(w.form->savedList->selectedRows(), QList<qsizetype> { 1 });

        Window empty;
        empty.click(empty.form->openAllButton);
        QVERIFY(empty.desktop.opened.isEmpty() && empty.desktop.reports.isEmpty());
    }

    void whereOpenAllOpens_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("age");
        QTest::addColumn<bool>("combine");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("pages");
        // `count` cities c0.org, c1.org, ... searched for `text`, from `first` on.
        const auto cities = [](const QString& text, int count, int first = 0) {
            QStringList entries;
            for (int i = first; i < first + count; ++i)
                entries << text + QStringLiteral(" site:c%1.org").arg(i);
            return entries;
        };
        const auto page = [](const QString& text, int count, int first = 0) {
            QStringList sites;
            for (int i = first; i < first + count; ++i)
                sites << QStringLiteral("site:c%1.org").arg(i);
            return text + QStringLiteral(" (") + sites.join(QStringLiteral(" OR ")) + u')';
        };
        const QString g = QStringLiteral("https://www.google.com/search?q=");
        const QStringList two = { "a&b site:x.org", "c site:y.org" };
        QTest::newRow("Google, any time")
            << "Google"
            << "Any" << false << two << QStringList { g + "a&b site:x.org", g + "c site:y.org" };
        QTest::newRow("Google, week") << "Google"
                                      << "Week" << false << two.mid(1) << QStringList { g + "c site:y.org&tbs=qdr:w" };
        QTest::newRow("Bing, day") << "Bing"
                                   << "Day" << false << two.mid(1)
                                   << QStringList { "https://www.bing.com/search?q=c site:y.org&filters=ex1:\"ez1\"" };
        QTest::newRow("DuckDuckGo, month, never combined")
            << "DuckDuckGo"
            << "Month" << true << cities("x", 2)
            << QStringList { "https://duckduckgo.com/?q=x site:c0.org&df=m",
                   "https://duckduckgo.com/?q=x site:c1.org&df=m" };
        QTest::newRow("Brave, year") << "Brave"
                                     << "Year" << false << two.mid(1)
                                     << QStringList { "https://search.brave.com/search?q=c site:y.org&tf=py" };
        QTest::newRow("Startpage, week") << "Startpage"
                                         << "Week" << false << two.mid(1)
                                         << QStringList {
                                                "https://www.startpage.com/sp/search?query=c site:y.org&with_date=w"
                                            };
        QTest::newRow("own address, no age, never combined")
            << "https://find.example/?t=1&q=%s"
            << "Day" << true << cities("x y", 2)
            << QStringList { "https://find.example/?t=1&q=x y site:c0.org",
                   "https://find.example/?t=1&q=x y site:c1.org" };
        // One word and 16 cities make 32 words; the 17th city starts a page.
        QTest::newRow("Google, 32 words")
            << "Google"
            << "Any" << true << cities("bike", 20) << QStringList { g + page("bike", 16), g + page("bike", 4, 16) };
        // 25 words leave room for four cities a page.
        const QString long25 = QStringList(25, QStringLiteral("w")).join(u' ');
        QTest::newRow("Google, many words")
            << "Google"
            << "Any" << true << cities(long25, 10)
            << QStringList { g + page(long25, 4), g + page(long25, 4, 4), g + page(long25, 2, 8) };
        // 30 words leave no room for two cities: every entry opens alone.
        const QString long30 = QStringList(30, QStringLiteral("w")).join(u' ');
        QTest::newRow("Google, too long to combine")
            << "Google"
            << "Any" << true << cities(long30, 2)
            << QStringList { g + cities(long30, 1)[0], g + cities(long30, 1, 1)[0] };
        // Only neighbours with the same text share a page; a lone one and
        // an entry without a site open as they are.
        QTest::newRow("Google, neighbours only")
            << "Google"
            << "Day" << true << (cities("a", 2) + QStringList { "b site:c2.org", "a site:c3.org", "plain" })
            << QStringList { g + page("a", 2) + "&tbs=qdr:d", g + "b site:c2.org&tbs=qdr:d",
                   g + "a site:c3.org&tbs=qdr:d", g + "plain&tbs=qdr:d" };
        // A host with a blank is no site: term to combine.
        QTest::newRow("Google, host with a blank") << "Google"
                                                   << "Any" << true << QStringList { "a site:c0.org", "a site:c1 .org" }
                                                   << QStringList { g + "a site:c0.org", g + "a site:c1 .org" };
        // Brave takes 400 characters: after a word of 200, 13 cities fill 397.
        const QString wide(200, u'x');
        QTest::newRow("Brave, 400 characters") << "Brave"
                                               << "Any" << true << cities(wide, 20)
                                               << QStringList { "https://search.brave.com/search?q=" + page(wide, 13),
                                                      "https://search.brave.com/search?q=" + page(wide, 7, 13) };
    }

    void whereOpenAllOpens()
    {
        QFETCH(QString, engine);
        QFETCH(QString, age);
        QFETCH(bool, combine);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, pages);
        Window w(entries);
        w.app->openChoices().set(*w.form, { *SearchEngine::fromKey(engine), *pageAgeFromKey(age), combine });
        w.click(w.form->openAllButton);
        QStringList opened;
        for (const QUrl& url : w.desktop.opened)
            opened << QUrl::fromPercentEncoding(url.toEncoded());
        QCOMPARE(opened, pages);
        QCOMPARE(itemTexts(*w.form->savedList), entries);
        // Open Selected opens one entry, as it is, with the same age.
        w.form->savedList->selectRow(0);
        w.click(w.form->openSelectedButton);
        QCOMPARE(w.desktop.opened.last(),
            SearchEngine::fromKey(engine)->url(entries[0], *pageAgeFromKey(age), QDate::currentDate()));
        QCOMPARE(w.desktop.reports, QStringList());

        // A year on Bing is a range of days since 1970.
        QCOMPARE(SearchEngine::fromKey("Bing")->url("q", PageAge::Year, QDate(2026, 12, 7)).toEncoded(),
            "https://www.bing.com/search?q=q&filters=ex1%3A%22ez5_20429_20794%22");
    }

    void ownEnginesAreWebAddressesOnly()
    {
        // Handed to the desktop, anything but a web address could start a
        // program or open a local file.
        for (const char* refused :
            { "Yahoo", "google", "https://x.example/?q=", "file:///bin/sh?%s", "javascript:alert(%s)",
                "ftp://x.example/%s", "https:///%s", "https://%s.example.org/", "https://x%s.example/?q=%s" })
            QVERIFY2(!SearchEngine::fromKey(QString::fromLatin1(refused)), refused);
        const auto own = SearchEngine::fromKey(QStringLiteral("http://x.example/s?a=%s&b=%s"));
        QVERIFY(own && own->isCustom());
        QCOMPARE(own->name(), QStringLiteral("Custom (x.example)"));
        QCOMPARE(own->url(QStringLiteral("a&b"), PageAge::Week, {}).toEncoded(), "http://x.example/s?a=a%26b&b=a%26b");
    }

    void manyPagesAreAskedAboutFirst()
    {
        QStringList searches;
        for (int i = 1; i <= 21; ++i)
            searches << QStringLiteral("p%1").arg(i);
        Window w(searches.mid(0, 20));
        w.click(w.form->openAllButton);
        QCOMPARE(w.desktop.opened.size(), 20);
        QVERIFY(w.desktop.askedToOpen.isEmpty());
        // Cancelled, "Don't ask again" ticked or not: nothing opens, and
        // the next flood, by either button, is asked about again.
        w.desktop.opened.clear();
        w.app->searches().append({ searches.last() });
        w.desktop.answerToOpen = [](int, bool& askAgain) { return askAgain = false; };
        w.click(w.form->openAllButton);
        w.form->savedList->selectAll();
        w.click(w.form->openSelectedButton);
        QCOMPARE(w.desktop.askedToOpen, QList<int>({ 21, 21 }));
        QVERIFY(w.desktop.opened.isEmpty());
        const auto stored = [&](const char* key) {
            return QSettings(w.desktop.settingsFile(), QSettings::IniFormat).value(key).toString();
        };
        // The saves of the list's edit are over before the tick below.
        QTRY_VERIFY(stored("Quillmoor/Searches").contains(QLatin1String("p21")));
        // Opened with it ticked: all in order, and not asked again, also
        // after a restart.
        w.desktop.answerToOpen = [](int, bool& askAgain) { return !(askAgain = false); };
        w.click(w.form->openAllButton);
        w.click(w.form->openSelectedButton);
        QCOMPARE(w.desktop.askedToOpen.size(), 3);
        QCOMPARE(w.desktop.opened.size(), 42);
        QCOMPARE(w.desktop.opened.at(20), QUrl(engine("p21")));
        // Kept as they change, without an edit of the list: the tick, and
        // the window moved or maximised.
        QTRY_COMPARE(stored("Quillmoor/AskBeforeManyPages"), QStringLiteral("false"));
        QVERIFY(stored("Quillmoor/WindowPlace").isEmpty());
        w.form->showMaximized();
        QTRY_COMPARE(stored("Quillmoor/WindowMaximized"), QStringLiteral("true"));
        QVERIFY(w.form->close());
        QCOMPARE(QSettings(w.desktop.settingsFile(), QSettings::IniFormat).value("Quillmoor/AskBeforeManyPages"),
            QStringLiteral("false"));
        QVERIFY(!w.desktop.load()->platform().askBeforeManyPages);
    }

    void openSelectedOpensOneEntry()
    {
        Window w({ "a site:x.org", "b site:y.org" });
        w.click(w.form->openSelectedButton);
        QCOMPARE(w.desktop.where(), QStringList { QStringLiteral("PushButton2_Click:100") });
        QVERIFY(w.desktop.opened.isEmpty());

        w.form->savedList->selectRow(1);
        w.click(w.form->openSelectedButton);
        QCOMPARE(w.opened(), QStringList { engine("b%20site%3Ay.org") });
        // A double-click on an entry opens it the same way.
        const QRect row = w.form->savedList->visualRect(w.form->savedList->model()->index(0, 0));
        QTest::mouseClick(w.form->savedList->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(w.form->savedList->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(w.opened().last(), engine("a%20site%3Ax.org"));
        QCOMPARE(w.desktop.openedBy, QStringList(2, QStringLiteral("PushButton2_Click:100")));
        QCOMPARE(w.desktop.reports.size(), 1);
        // So do Return and the keypad's Enter on the keyboard's place, even
        // when a delete left it unselected.
        w.form->savedList->setFocus();
        QTest::keyClick(w.form->savedList, Qt::Key_Down);
        QTest::keyClick(w.form->savedList, Qt::Key_Return);
        QCOMPARE(w.opened().last(), engine("b%20site%3Ay.org"));
        w.app->searches().append({ QStringLiteral("c site:z.org") });
        QTest::keyClick(w.form->savedList, Qt::Key_Delete);
        QCOMPARE(w.form->savedList->selectedRows(), QList<qsizetype> {});
        QTest::keyClick(w.form->savedList, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(w.opened().last(), engine("c%20site%3Az.org"));
        QCOMPARE(w.desktop.openedBy.size(), 4);
        QCOMPARE(w.desktop.reports.size(), 1);
    }

    void undoTakesBackEditsStepByStep()
    {
        Window w({ "A", "B", "C" });
        ListView* saved = w.form->savedList;
        QUndoStack& undo = w.app->undoStack();
        QSignalSpy canUndo(&undo, &QUndoStack::canUndoChanged);
        QVERIFY(!undo.canUndo());
        w.form->cityList->selectRows({ 0, 1 });
        w.form->searchTextBox->setText(QStringLiteral("x"));
        QTest::keyClick(w.form->searchTextBox, Qt::Key_Return);
        saved->selectRow(1);
        w.click(w.form->deleteButton);
        w.click(w.form->exampleButton);
        w.click(w.form->openSelectedButton); // opens, changes nothing
        w.click(w.form->clearAllButton);
        QCOMPARE(saved->count(), 0);
        QCOMPARE(canUndo.first(), QVariantList { true });
        QCOMPARE(undo.undoText(), QStringLiteral("Clear All"));

        const QString boston = QStringLiteral("x site:boston.listora.org");
        const QString chicago = QStringLiteral("x site:chicago.listora.org");
        const QString example = exampleSearch();
        const QStringList steps[] = {
            { "A", "C", boston, chicago, example }, // Clear All undone, in order
            { "A", "C", boston, chicago }, // Load Example
            { "A", "B", "C", boston, chicago }, // Delete
            { "A", "B", "C" }, // Add Search, both cities at once
        };
        saved->setFocus();
        for (const QStringList& expected : steps) {
            QTest::keyClick(saved, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(itemTexts(*saved), expected);
        }
        // The search a Delete took is selected again.
        QCOMPARE(saved->selectedRows(), QList<qsizetype> { 1 });
        QVERIFY(!undo.canUndo());
        QCOMPARE(canUndo.last(), QVariantList { false });
        QTest::keyClick(saved, Qt::Key_Z, Qt::ControlModifier); // nothing left: nothing happens
        QCOMPARE(itemTexts(*saved), steps[3]);
        // Done again step by step, then undone through the one entry point.
        QTest::keyClick(saved, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(saved, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(itemTexts(*saved), steps[1]);
        undo.undo();
        QCOMPARE(itemTexts(*saved), steps[2]);
        // The saved list's menu offers the same undo while there is one.
        SearchMenu& menu = *w.form->searchMenu;
        emit saved->contextMenuRequested(-1, saved->mapToGlobal(QPoint()));
        QVERIFY(menu.action(SearchMenu::Entry::Undo)->isEnabled());
        QVERIFY(!menu.action(SearchMenu::Entry::StopOpening)->isEnabled());
        menu.action(SearchMenu::Entry::Undo)->trigger();
        menu.close();
        QCOMPARE(itemTexts(*saved), steps[3]);
        // In a text box the keys edit its text and leave the list alone.
        w.form->searchTextBox->setFocus();
        QTest::keyClicks(w.form->searchTextBox, QStringLiteral("ab"));
        QTest::keyClick(w.form->searchTextBox, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(w.form->searchTextBox->text() != QStringLiteral("ab"));
        QTest::keyClick(w.form->searchTextBox, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(w.form->searchTextBox->text(), QStringLiteral("ab"));
        QCOMPARE(itemTexts(*saved), steps[3]);
        // The buttons reported as ever: only Open Selected, with nothing selected.
        QCOMPARE(w.desktop.where(), QStringList { QStringLiteral("PushButton2_Click:100") });
        // The example is a step of its own, named after its button.
        w.click(w.form->exampleButton);
        QCOMPARE(undo.undoText(), QStringLiteral("Load Example/Sample Searches"));
    }

    void editsAreOneUndoStepEach_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QList<qsizetype>>("selected");
        // The clipboard's text, the answer to F2, the imported file's text or
        // the row a drag ends on.
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("expected");
        // What F2 offered, what Cut left on the clipboard, or the notice.
        QTest::addColumn<QString>("offered");
        const QStringList abcd { "a", "b", "c", "d" };
        const QStringList bikes { "bike site:x.org", "bike site:y.org", "plain", "sofa site:z.org" };
        QTest::newRow("Delete two apart") << "Delete" << abcd << QList<qsizetype> { 1, 3 } << ""
                                          << QStringList { "a", "c" } << "2 saved searches deleted";
        QTest::newRow("Cut first and last") << "Cut" << QStringList { "a", "b", "c" } << QList<qsizetype> { 0, 2 } << ""
                                            << QStringList { "b" } << "a\nc\n";
        QTest::newRow("Paste after the current") << "Paste" << QStringList { "a", "b" } << QList<qsizetype> { 0 }
                                                 << "x\r\n\r\n \t\ny|z" << QStringList { "a", "x", "y|z", "b" } << "";
        QTest::newRow("Paste with none current") << "Paste" << QStringList { "a", "b" } << QList<qsizetype> {} << "x\n"
                                                 << QStringList { "a", "b", "x" } << "";
        QTest::newRow("Paste drops what no entry holds")
            << "Paste" << QStringList { "a" } << QList<qsizetype> {}
            << (QStringLiteral("x\ry\x1B") + QChar(0) + QStringLiteral("z\n\uFEFFw"))
            << QStringList { "a", "x", "yz", "w" } << "";
        QTest::newRow("F2 takes a pasted line break as a blank")
            << "F2" << bikes << QList<qsizetype> { 0 } << "road\r\nbike\a"
            << QStringList { "road bike site:x.org", "bike site:y.org", "plain", "sofa site:z.org" } << "bike";
        QTest::newRow("Move up, a block at the top stays")
            << "Move Up" << abcd << QList<qsizetype> { 0, 1, 3 } << "" << QStringList { "a", "b", "d", "c" } << "";
        QTest::newRow("Move down a block")
            << "Move Down" << abcd << QList<qsizetype> { 1, 2 } << "" << QStringList { "a", "d", "b", "c" } << "";
        QTest::newRow("Drag two below a third")
            << "Drop" << abcd << QList<qsizetype> { 0, 1 } << "3" << QStringList { "c", "a", "b", "d" } << "";
        QTest::newRow("F2 keeps each city")
            << "F2" << bikes << QList<qsizetype> { 0, 1, 2 } << "kayak"
            << QStringList { "kayak site:x.org", "kayak site:y.org", "kayak", "sofa site:z.org" } << "";
        QTest::newRow("F2 offers the shared text, an empty answer changes nothing")
            << "F2" << bikes << QList<qsizetype> { 0, 1 } << "" << bikes << "bike";
        QTest::newRow("Import at the end") << "Import" << QStringList { "a" } << QList<qsizetype> {} << "p\r\nq|r\r\n"
                                           << QStringList { "a", "p", "q|r" } << "2 searches added.";
        QTest::newRow("Import leaves out saved lines")
            << "Import" << QStringList { "a", "p" } << QList<qsizetype> {} << "p\nq\na\n"
            << QStringList { "a", "p", "q" } << "1 search added, 2 already saved.";
        QTest::newRow("Remove Duplicates keeps the first of each")
            << "Remove Duplicates" << QStringList { "a", "b", "a", "c", "b", "a" } << QList<qsizetype> { 2 } << ""
            << QStringList { "a", "b", "c" } << "3 repeated searches removed";
        QTest::newRow("Remove Duplicates with none")
            << "Remove Duplicates" << QStringList { "a", "A" } << QList<qsizetype> {} << "" << QStringList { "a", "A" }
            << "No search is saved twice.";
    }

    void editsAreOneUndoStepEach()
    {
        QFETCH(QString, edit);
        QFETCH(QStringList, entries);
        QFETCH(QList<qsizetype>, selected);
        QFETCH(QString, input);
        QFETCH(QStringList, expected);
        QFETCH(QString, offered);
        Window w(entries);
        ListView* saved = w.form->savedList;
        saved->setFocus();
        saved->selectRows(selected);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(input);
        QString asked;
        w.app->editing().askSearchText = [&](const QString& shown) {
            asked = shown;
            return input;
        };
        w.desktop.write(QStringLiteral("import.txt"), input.toUtf8());
        w.app->editing().askImportFile = [&] { return w.desktop.dir.filePath(QStringLiteral("import.txt")); };
        w.app->editing().tell = [&](const QString&, const QString& text) { asked = text; };
        const std::map<QString, QKeyCombination> keys { { "Delete", Qt::Key_Delete }, { "Cut", Qt::CTRL | Qt::Key_X },
            { "Paste", Qt::CTRL | Qt::Key_V }, { "Move Up", Qt::ALT | Qt::Key_Up },
            { "Move Down", Qt::ALT | Qt::Key_Down }, { "F2", QKeyCombination(Qt::Key_F2) } };
        if (edit == u"Drop")
            emit saved->rowsDropped(input.toInt());
        else if (edit == u"Import")
            w.app->editing().importSearches();
        else if (edit == u"Remove Duplicates")
            w.form->searchMenu->action(SearchMenu::Entry::RemoveDuplicates)->trigger();
        else
            QTest::keyClick(saved, keys.at(edit).key(), keys.at(edit).keyboardModifiers());
        QCOMPARE(itemTexts(*saved), expected);
        const UndoNotice* notice = w.form->savedListNotice;
        QCOMPARE(edit == u"Cut" ? clipboard->text() : notice->isShown() ? notice->text() : asked, offered);
        QVERIFY(w.desktop.reports.isEmpty());
        // One step, taken back and done again with the keys wherever the
        // focus is outside a text box.
        QCOMPARE(w.app->undoStack().count(), expected == entries ? 0 : 1);
        w.form->openAllButton->setFocus();
        QTest::keyClick(w.form->openAllButton, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(itemTexts(*saved), entries);
        QTest::keyClick(w.form->openAllButton, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(itemTexts(*saved), expected);
    }

    void theFindBoxNarrowsWhatTheButtonsActOn()
    {
        QStringList searches;
        for (int i = 0; i < 24; ++i)
            searches << (i % 8 == 0 ? QStringLiteral("Mountain Bike site:c%1.org")
                                    : QStringLiteral("sofa site:c%1.org"))
                            .arg(i);
        Window w(searches);
        ListView* saved = w.form->savedList;
        saved->selectAll();
        QTest::keyClick(w.form->searchTextBox, Qt::Key_F, Qt::ControlModifier);
        FindBar* find = w.form->savedListFind;
        QVERIFY(find->isOpen());
        QCOMPARE(QApplication::focusWidget(), find->box());
        QTest::keyClicks(find->box(), QStringLiteral("IN b"));
        // Any part, any case; what is hidden is no longer picked.
        QCOMPARE(saved->shownRows(), (QList<qsizetype> { 0, 8, 16 }));
        QCOMPARE(find->countText(), QStringLiteral("3 of 24 searches shown"));
        QCOMPARE(saved->selectedRows(), (QList<qsizetype> { 0, 8, 16 }));
        // A row edited or added while the box is open is found or hidden.
        w.app->searches().replace(8, { QStringLiteral("sofa site:c8.org") });
        w.app->searches().append({ QStringLiteral("Mountain Bike site:new.org") });
        QCOMPARE(saved->shownRows(), (QList<qsizetype> { 0, 16, 24 }));
        QCOMPARE(find->countText(), QStringLiteral("3 of 25 searches shown"));
        QCOMPARE(saved->selectedRows(), (QList<qsizetype> { 0, 16 }));
        // Open All opens the rows shown and asks of their number; Select
        // All and Delete take those alone, and the count follows.
        w.desktop.answerToOpen = [](int, bool&) { return true; };
        w.click(w.form->openAllButton);
        QCOMPARE(w.opened().size(), 3);
        QVERIFY(w.opened().first().contains(QLatin1String("c0.org")));
        saved->clearSelection();
        saved->setFocus();
        QTest::keyClick(saved, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(saved, Qt::Key_Delete);
        QCOMPARE(saved->count(), 22);
        QCOMPARE(find->countText(), QStringLiteral("0 of 22 searches shown"));
        // Escape closes the box and every row shows again.
        QTest::keyClick(find->box(), Qt::Key_Escape);
        QVERIFY(!find->isOpen());
        QCOMPARE(saved->shownRows().size(), 22);
        QVERIFY(!itemTexts(*saved).join(u' ').contains(QLatin1String("Bike")));
        // Pick Searches With This Text picks every search with the current one's text.
        saved->selectRow(2);
        w.form->searchMenu->action(SearchMenu::Entry::SelectSameText)->trigger();
        QCOMPARE(saved->selectedRows().size(), 22);
        // A long list selected whole keeps the rows found selected.
        w.app->searches().append(QStringList(1200, QStringLiteral("road bike")));
        saved->selectAll();
        find->box()->setText(QStringLiteral("road"));
        find->open();
        QCOMPARE(saved->selectedRows().size(), 1200);
        QVERIFY(w.desktop.reports.isEmpty());
    }

    void savedTextsAreOfferedWhileTyping()
    {
        Window w({ "bike site:a.org", "Bike site:b.org", "bike site:c.org", "bike lock site:a.org", "  site:d.org" });
        w.form->cityList->selectRow(0);
        w.form->searchTextBox->setFocus();
        QCompleter* completer = w.form->searchTextBox->completer();
        QVERIFY(completer);
        // Newest first, each once, in any case, without the city; blanks are
        // no text.
        const auto offered = [&] { return qobject_cast<QStringListModel*>(completer->model())->stringList(); };
        QTest::keyClicks(w.form->searchTextBox, QStringLiteral("B"));
        QCOMPARE(offered(), (QStringList { "bike lock", "bike", "Bike" }));
        QTest::keyClicks(w.form->searchTextBox, QStringLiteral("ikE "));
        QCOMPARE(offered(), QStringList { "bike lock" });
        QTest::keyClick(w.form->searchTextBox, Qt::Key_Backspace);
        QCOMPARE(offered(), (QStringList { "bike lock", "bike", "Bike" }));
        // Return alone adds what was typed, offer or not.
        QTest::keyClick(completer->popup(), Qt::Key_Return);
        QCOMPARE(w.form->savedList->count(), 6);
        QCOMPARE(w.form->searchTextBox->text(), QString());
        // Down and Return take one; that Return adds no search, the next does.
        QTest::keyClicks(w.form->searchTextBox, QStringLiteral("bike l"));
        QVERIFY(completer->popup()->isVisible());
        QTest::keyClick(completer->popup(), Qt::Key_Down);
        QTest::keyClick(completer->popup(), Qt::Key_Return);
        QCOMPARE(w.form->searchTextBox->text(), QStringLiteral("bike lock"));
        QCOMPARE(w.form->savedList->count(), 6);
        QVERIFY(w.desktop.reports.isEmpty());
        QTest::keyClick(w.form->searchTextBox, Qt::Key_Return);
        QCOMPARE(w.form->savedList->count(), 7);
        QCOMPARE(w.form->searchTextBox->text(), QString());
    }

    void addedSearchesAreScrolledIntoView()
    {
        Window w(QStringList(60, QStringLiteral("old")));
        ListView* saved = w.form->savedList;
        const auto shown = [saved](int row) {
            return saved->viewport()->rect().contains(saved->visualRect(saved->model()->index(row, 0)));
        };
        QVERIFY(!shown(59));
        w.add(0, QStringLiteral("new"));
        QVERIFY(shown(60));
        saved->scrollToTop();
        w.click(w.form->exampleButton);
        QVERIFY(shown(61));
    }

    void editingTheList()
    {
        Window w({ "A", "B", "C", "D" });
        w.form->savedList->selectRow(1);
        w.click(w.form->deleteButton);
        QCOMPARE(itemTexts(*w.form->savedList), (QStringList { "A", "C", "D" }));
        // Nothing else became selected: a second press removes nothing.
        w.click(w.form->deleteButton);
        QCOMPARE(w.desktop.where(), QStringList { QStringLiteral("PushButton4_Click:102") });
        QCOMPARE(w.form->savedList->count(), 3);
        // The Delete key acts as the delete button, at the end of the list
        // too; the place stays for the keyboard, where Space selects again.
        w.form->savedList->setFocus();
        w.form->savedList->selectRow(2);
        QTest::keyClick(w.form->savedList, Qt::Key_Delete);
        QTest::keyClick(w.form->savedList, Qt::Key_Delete);
        QCOMPARE(w.desktop.where(),
            (QStringList { QStringLiteral("PushButton4_Click:102"), QStringLiteral("PushButton4_Click:102") }));
        QCOMPARE(w.form->savedList->selectedRows(), QList<qsizetype> {});
        QTest::keyClick(w.form->savedList, Qt::Key_Space);
        QCOMPARE(w.form->savedList->selectedRows(), QList<qsizetype> { 1 });
        QTest::keyClick(w.form->savedList, Qt::Key_Up);
        QTest::keyClick(w.form->savedList, Qt::Key_Delete);
        QCOMPARE(itemTexts(*w.form->savedList), QStringList { "C" });

        w.click(w.form->exampleButton);
        w.click(w.form->exampleButton);
        const QString example = QStringLiteral("lawnmower site:boston.listora.org");
        QCOMPARE(itemTexts(*w.form->savedList), (QStringList { "C", example, example }));

        w.click(w.form->clearAllButton);
        QCOMPARE(w.form->savedList->count(), 0);
        // On an empty list clearing and deleting do nothing and say nothing.
        w.click(w.form->clearAllButton);
        w.click(w.form->deleteButton);
        QCOMPARE(w.desktop.reports.size(), 2);
        // None of the buttons touched the search box or the location list.
        QCOMPARE(w.form->cityList->count(), 2);
    }

    void randomEditsKeepTheEntries()
    {
        // Entries added (some in a batch, as restored ones are) and deleted
        // at random: exactly those left stay.
        Window w({ "first" });
        QStringList expected { "first" };
        QStringList restored;
        for (int k = 1; k <= 20; ++k) {
            expected << QString(k * 10, u'r');
            restored << expected.last();
        }
        w.app->searches().restore(restored);
        std::mt19937 random(7);
        for (int i = 0; i < 10000; ++i) {
            if (expected.size() < 2 || (expected.size() < 40 && random() % 2)) {
                expected << QString::number(i) + QString(int(random() % 300), u'x');
                w.app->searches().append({ expected.last() });
            } else {
                w.form->savedList->selectRow(int(random() % expected.size()));
                expected.removeAt(w.form->savedList->selectedRows().first());
                w.form->deleteButton->click();
            }
        }
        QCOMPARE(itemTexts(*w.form->savedList), expected);
    }

    void exampleCityIsShipped()
    {
        QFile list(QStringLiteral(QUILLMOOR_SOURCE_DIR "/data/list.txt"));
        QVERIFY(list.open(QIODevice::ReadOnly));
        const QString host = exampleSearch().section(QStringLiteral("site:"), 1);
        QVERIFY(
            QString::fromLatin1(list.readAll()).contains(QStringLiteral("\r\nhttp://") + host + QStringLiteral("/,")));
    }

    // When a search was opened, as the list tells it; a time no date can
    // show (a damaged record) is unknown, never "today" without a time.
    void whenASearchWasOpened()
    {
        const QDateTime now(QDate(2026, 12, 9), QTime(15, 0));
        const qint64 at = now.toSecsSinceEpoch();
        const std::pair<std::optional<qint64>, const char*> rows[]
            = { { std::nullopt, "Not opened yet" }, { at - 3600, "Opened today at " },
                  { at - 86400, "Opened yesterday at " }, { at - 3 * 86400, "Opened 3 days ago" },
                  { at + 86400, "Opened on " }, { std::numeric_limits<qint64>::max(), "Opened at an unknown time" },
                  { std::numeric_limits<qint64>::max() / 1000 + 1, "Opened at an unknown time" } };
        for (const auto& [seconds, text] : rows)
            QVERIFY2(openedText(seconds, now).startsWith(QLatin1String(text)), qPrintable(openedText(seconds, now)));
        OpenedTimes times;
        times.record({ "a" }, std::numeric_limits<qint64>::max());
        QVERIFY(!times.openedOn("a", now));
    }

    // With a second list tabs show over the saved list; the buttons and
    // edits act on the list shown; Move to List and Delete List are one
    // step each, and a step of a list not shown shows it and names it.
    void listsInTheWindow()
    {
        Window w({ "a site:x" });
        ListTabs* const tabs = w.form->listTabs;
        ListView* const saved = w.form->savedList;
        const int listTop = saved->y();
        QVERIFY(tabs->isHidden());
        QStringList troubles;
        QStringList answers = { "Saved Searches", "Fu\nton", "Futon" };
        w.app->listHandlers().askListName = [&](const QString&, const QString&, const QString& trouble) {
            troubles << trouble;
            return std::optional<QString>(answers.takeFirst());
        };
        w.form->searchMenu->action(SearchMenu::Entry::NewList)->trigger();
        QCOMPARE(troubles.size(), 3);
        QVERIFY(troubles[1].contains(QStringLiteral("already")));
        QVERIFY(troubles[2].contains(QStringLiteral("control")));
        QVERIFY(tabs->isVisible() && saved->y() > listTop);
        QCOMPARE(tabs->tabToolTip(1), QStringLiteral("Futon"));
        QCOMPARE(itemTexts(*saved), QStringList());

        w.add(0, QStringLiteral("futon"));
        QCOMPARE(itemTexts(*saved), QStringList { "futon site:boston.listora.org" });
        QTest::keyClick(saved, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(w.app->lists().shownIndex(), 0);
        QCOMPARE(itemTexts(*saved), QStringList { "a site:x" });
        saved->selectRows({ 0 });
        emit w.form->searchMenu->moveToList(1);
        QCOMPARE(itemTexts(*saved), QStringList());
        QCOMPARE(w.app->lists().model(1).entries(), (QStringList { "futon site:boston.listora.org", "a site:x" }));

        QUndoStack& steps = w.app->undoStack();
        saved->setFocus();
        QTest::keyClick(saved, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(itemTexts(*saved), QStringList { "a site:x" });
        QCOMPARE(
            w.app->listHandlers().stepText(steps.undoText(), steps.index() - 1), QStringLiteral("Add Search in Futon"));
        QTest::keyClick(saved, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.app->lists().shownIndex(), 1);
        QCOMPARE(itemTexts(*saved), QStringList());

        // A list that holds searches is deleted only when the user says so,
        // told how many go; undone, it comes back whole.
        QTest::keyClick(saved, Qt::Key_Y, Qt::ControlModifier);
        QString question;
        w.app->listHandlers().askDeleteList = [&](const QString& asked) {
            question = asked;
            return true;
        };
        w.form->searchMenu->action(SearchMenu::Entry::DeleteList)->trigger();
        QVERIFY(question.contains(QStringLiteral("the 1 search")));
        QCOMPARE(w.app->lists().names(), QStringList { "Saved Searches" });
        QVERIFY(tabs->isHidden());
        QCOMPARE(saved->y(), listTop);
        steps.undo();
        QCOMPARE(w.app->lists().names(), (QStringList { "Saved Searches", "Futon" }));
        QCOMPARE(w.app->lists().model(1).count(), 1);
    }

    // A list's entry in the applications menu: any name a user can type
    // comes back whole through Exec's quoting, the entry passes
    // desktop-file-validate, a rename takes it along and a deletion away.
    void aListInTheApplicationsMenu()
    {
        Window w;
        const QString name = QStringLiteral("Fu \"ton\" $HOME `x` \\ 100% ;#");
        w.app->lists().insert(1, name, QStringList {});
        w.app->lists().show(1);
        w.form->searchMenu->action(SearchMenu::Entry::AddToMenu)->trigger();
        const QString folder = w.desktop.dir.filePath(QStringLiteral("data/applications"));
        const QStringList entries = QDir(folder).entryList({ "*.desktop" });
        QCOMPARE(entries.size(), 1);
        const QString file = QDir(folder).filePath(entries[0]);
        QFile entry(file);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        QVERIFY(text.contains("Name=Open " + name.toUtf8().replace("\\", "\\\\") + " Searches\n"));
        QVERIFY2(text.contains("--open-all --list \"Fu \\\\\"ton\\\\\" \\\\$HOME \\\\`x\\\\` \\\\\\\\ 100%% ;#\"\n"),
            text.constData());
        const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (!validate.isEmpty()) {
            QProcess check;
            check.start(validate, { file });
            QVERIFY(check.waitForFinished());
            QVERIFY2(check.exitCode() == 0, check.readAll().constData());
        }
        w.app->listHandlers().askListName
            = [](const QString&, const QString&, const QString&) { return std::optional<QString>("Kayak"); };
        w.app->listHandlers().renameList(1);
        QVERIFY(!QFile::exists(file));
        QCOMPARE(QDir(folder).entryList({ "*.desktop" }).size(), 1);
        w.app->listHandlers().deleteList(1);
        QCOMPARE(QDir(folder).entryList({ "*.desktop" }), QStringList());
        QCOMPARE(w.desktop.reports, QStringList());
    }
};

QTEST_MAIN(SearchesTest)
#include "tst_searches.moc"
