// Composing, opening and editing saved searches through the window's buttons.
#include "Form1.h"
#include "ItemModel.h"
#include "ListView.h"
#include "SearchQuery.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
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
            form->ListView2->addItem(search);
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form))
            qFatal("window did not activate");
    }

    void add(int city, const QString& text)
    {
        if (city >= 0)
            form->ListView1->selectRow(city);
        form->txtSearch->setText(text);
        QTest::mouseClick(form->PushButton7, Qt::LeftButton);
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void clickCity(int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QRect rect = form->ListView1->visualRect(form->ListView1->model()->index(row, 1));
        QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    QStringList takeSearches(const QString& text)
    {
        form->txtSearch->setText(text);
        click(form->PushButton7);
        const QStringList searches = itemTexts(*form->ListView2);
        form->ListView2->clearItems();
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
        };
        for (const auto& [address, host] : hosts)
            QCOMPARE(siteHost(QString::fromLatin1(address)), QString::fromLatin1(host));
        QCOMPARE(searchQuery(QStringLiteral(" a&b # "), QStringLiteral("http://x.org/")),
            QStringLiteral(" a&b #  site:x.org"));
    }

    void engineAddressIsPercentEncoded()
    {
        QCOMPARE(searchEngineUrl(QStringLiteral("a&b #c+d \"x\" ü-._~ site:boston.listora.org")).toEncoded(),
            engine("a%26b%20%23c%2Bd%20%22x%22%20%C3%BC-._~%20site%3Aboston.listora.org").toLatin1());
        // Shell syntax is an ordinary query: nothing of it survives unencoded.
        QCOMPARE(searchEngineUrl(QStringLiteral("\"; rm -rf ~; \" $(reboot) `id` 'q'")).toEncoded(),
            engine("%22%3B%20rm%20-rf%20~%3B%20%22%20%24%28reboot%29%20%60id%60%20%27q%27").toLatin1());
    }

    void addSearchComposesFromTheSelectedCity()
    {
        Window w;
        w.add(1, QStringLiteral("bike"));
        w.add(0, QStringLiteral("  ")); // blanks are a search text too
        w.add(0, QStringLiteral("  "));
        QCOMPARE(itemTexts(*w.form->ListView2),
            (QStringList {
                "bike site:chicago.listora.org", "   site:boston.listora.org", "   site:boston.listora.org" }));
        QCOMPARE(w.form->txtSearch->text(), QString());
        QCOMPARE(QApplication::focusWidget(), w.form->txtSearch);
        // Enter in the search box adds too.
        w.form->txtSearch->setText(QStringLiteral("sofa"));
        QTest::keyClick(w.form->txtSearch, Qt::Key_Return);
        QCOMPARE(w.form->ListView2->itemText(3), QStringLiteral("sofa site:boston.listora.org"));
        QCOMPARE(w.desktop.reports, QStringList());

        // An empty text does nothing at all, not even move the focus.
        w.form->Text1->setFocus();
        w.form->txtSearch->clear();
        w.form->PushButton7->click();
        QCOMPARE(w.form->ListView2->count(), 4);
        QCOMPARE(QApplication::focusWidget(), w.form->Text1);
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
        QSignalSpy inserted(w.form->ListView2->model(), &QAbstractItemModel::rowsInserted);
        w.clickCity(4);
        w.clickCity(2, Qt::ControlModifier);
        w.clickCity(0, Qt::ControlModifier);
        QCOMPARE(w.takeSearches("bike"), site("bike", { "austin", "dallas", "houston" }));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(w.form->txtSearch->text(), QString());
        QCOMPARE(QApplication::focusWidget(), w.form->txtSearch);
        // Ctrl-click takes a city out again; a plain click picks just one.
        w.clickCity(2, Qt::ControlModifier);
        QCOMPARE(w.takeSearches("a"), site("a", { "austin", "houston" }));
        w.clickCity(1);
        QCOMPARE(w.takeSearches("b"), site("b", { "boston" }));
        // Shift+arrows extend from the current city.
        w.form->ListView1->setFocus();
        QTest::keyClick(w.form->ListView1, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(w.form->ListView1, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(w.takeSearches("c"), site("c", { "boston", "dallas", "elpaso" }));
        // Ctrl+A takes every city the filter shows; filtering again clears
        // the selection.
        w.form->Text1->setText(QStringLiteral("texas"));
        w.form->ListView1->setFocus();
        QTest::keyClick(w.form->ListView1, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w.takeSearches("d"), site("d", { "austin", "dallas", "elpaso", "houston" }));
        w.form->Text1->setText(QStringLiteral("tex"));
        QCOMPARE(w.takeSearches("e"), QStringList());
        QCOMPARE(w.desktop.where(), QStringList { QStringLiteral("PushButton7_Click:102") });
    }

    void textBoxesHaveNoLengthLimit()
    {
        Window w;
        const QString text = QString(40000, u'x');
        QGuiApplication::clipboard()->setText(text);
        for (QLineEdit* box : { w.form->Text1, w.form->txtSearch }) {
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
        const qsizetype shown = ItemModel::kShownLength;
        const QString across = QString(shown - 1, u'a') + QStringLiteral("\U0001F600") + QString(1 << 20, u'b');
        const QString inside = across.mid(1);
        w.form->ListView2->addItem(across);
        w.form->ListView2->addItem(inside);
        const QAbstractItemModel& model = *w.form->ListView2->model();
        QCOMPARE(model.index(0, 0).data().toString(), across.left(shown - 1));
        QCOMPARE(model.index(1, 0).data().toString(), inside.left(shown));
        w.form->close();
        QCOMPARE(QSettings(w.desktop.settingsFile(), QSettings::IniFormat).value("Quillmoor/Searches").toString(),
            across + u'|' + inside + u'|');
    }

    void theKeyboardAloneAddsASearch()
    {
        Window window;
        ListView* cities = window.form->ListView1;
        const auto press = [](int key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
            return QApplication::focusWidget();
        };
        QCOMPARE(QApplication::focusWidget(), window.form->Text1);
        QTest::keyClicks(window.form->Text1, QStringLiteral("chi"));
        QCOMPARE(cities->count(), 1);
        QCOMPARE(press(Qt::Key_Down), cities);
        QCOMPARE(cities->selectedRows(), QList<qsizetype>({ 0 }));
        QCOMPARE(press(Qt::Key_Return), window.form->txtSearch);
        QTest::keyClicks(window.form->txtSearch, QStringLiteral("bike"));
        press(Qt::Key_Return);
        QCOMPARE(itemTexts(*window.form->ListView2), QStringList({ QStringLiteral("bike site:chicago.listora.org") }));
        QCOMPARE(window.desktop.reports, QStringList());

        // A city already picked stays picked; arrows then move through the
        // list, and the keypad's Enter leads on as Return does.
        window.form->Text1->clear();
        window.clickCity(1);
        window.form->Text1->setFocus();
        QCOMPARE(press(Qt::Key_Down), cities);
        QCOMPARE(cities->selectedRows(), QList<qsizetype>({ 1 }));
        press(Qt::Key_Up);
        QCOMPARE(cities->selectedRows(), QList<qsizetype>({ 0 }));
        QCOMPARE(press(Qt::Key_Enter, Qt::KeypadModifier), window.form->txtSearch);
        // Down with a modifier is left to the filter box, and an empty list
        // still takes the focus without a city to pick.
        window.form->Text1->setFocus();
        QCOMPARE(press(Qt::Key_Down, Qt::ShiftModifier), window.form->Text1);
        QTest::keyClicks(window.form->Text1, QStringLiteral("zzz"));
        QCOMPARE(cities->count(), 0);
        QCOMPARE(press(Qt::Key_Down), cities);
        QCOMPARE(cities->selectedRows(), QList<qsizetype>());
    }

    void addSearchWithoutACity()
    {
        Window w;
        w.form->Text1->setText(QStringLiteral("nowhere")); // the filter leaves nothing to select
        w.add(-1, QStringLiteral("bike"));
        QCOMPARE(w.desktop.where(), QStringList { QStringLiteral("PushButton7_Click:102") });
        QVERIFY(w.desktop.description(0).startsWith(QLatin1String("No location is selected.")));
        QCOMPARE(w.form->ListView2->count(), 0);
        QCOMPARE(w.form->txtSearch->text(), QString());
        QCOMPARE(QApplication::focusWidget(), w.form->txtSearch);
    }

    void openAllOpensEveryEntryInOrder()
    {
        Window w({ "a site:x.org", "b&c site:y.org", "d site:z.org" });
        w.form->ListView2->selectRow(1);
        w.desktop.failOpen = [](const QUrl& url) {
            if (url.toEncoded().contains("b%26c"))
                throw std::runtime_error("The web browser could not be started.");
        };
        w.click(w.form->PushButton6);
        QCOMPARE(w.opened(), (QStringList { engine("a%20site%3Ax.org"), engine("d%20site%3Az.org") }));
        QCOMPARE(w.desktop.openedBy, QStringList(2, QStringLiteral("PushButton6_Click:102")));
        QCOMPARE(w.desktop.where(), QStringList { QStringLiteral("PushButton6_Click:102") });
        // Opening changes neither the list nor its selection.
        QCOMPARE(w.form->ListView2->count(), 3);
        QCOMPARE(w.form->ListView2->selectedRow(), 1);

        Window empty;
        empty.click(empty.form->PushButton6);
        QVERIFY(empty.desktop.opened.isEmpty() && empty.desktop.reports.isEmpty());
    }

    void openSelectedOpensOneEntry()
    {
        Window w({ "a site:x.org", "b site:y.org" });
        w.click(w.form->PushButton2);
        QCOMPARE(w.desktop.where(), QStringList { QStringLiteral("PushButton2_Click:100") });
        QVERIFY(w.desktop.opened.isEmpty());

        w.form->ListView2->selectRow(1);
        w.click(w.form->PushButton2);
        QCOMPARE(w.opened(), QStringList { engine("b%20site%3Ay.org") });
        // A double-click on an entry opens it the same way.
        const QRect row = w.form->ListView2->visualRect(w.form->ListView2->model()->index(0, 0));
        QTest::mouseClick(w.form->ListView2->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(w.form->ListView2->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(w.opened().last(), engine("a%20site%3Ax.org"));
        QCOMPARE(w.desktop.openedBy, QStringList(2, QStringLiteral("PushButton2_Click:100")));
        QCOMPARE(w.desktop.reports.size(), 1);
    }

    void editingTheList()
    {
        Window w({ "A", "B", "C", "D" });
        w.form->ListView2->selectRow(1);
        w.click(w.form->PushButton4);
        QCOMPARE(itemTexts(*w.form->ListView2), (QStringList { "A", "C", "D" }));
        // Nothing else became selected: a second press removes nothing.
        w.click(w.form->PushButton4);
        QCOMPARE(w.desktop.where(), QStringList { QStringLiteral("PushButton4_Click:102") });
        QCOMPARE(w.form->ListView2->count(), 3);
        // The Delete key acts as the delete button, at the end of the list
        // too; the place stays for the keyboard, where Space selects again.
        w.form->ListView2->setFocus();
        w.form->ListView2->selectRow(2);
        QTest::keyClick(w.form->ListView2, Qt::Key_Delete);
        QTest::keyClick(w.form->ListView2, Qt::Key_Delete);
        QCOMPARE(w.desktop.where(),
            (QStringList { QStringLiteral("PushButton4_Click:102"), QStringLiteral("PushButton4_Click:102") }));
        QCOMPARE(w.form->ListView2->selectedRow(), -1);
        QTest::keyClick(w.form->ListView2, Qt::Key_Space);
        QCOMPARE(w.form->ListView2->selectedRow(), 1);
        QTest::keyClick(w.form->ListView2, Qt::Key_Up);
        QTest::keyClick(w.form->ListView2, Qt::Key_Delete);
        QCOMPARE(itemTexts(*w.form->ListView2), QStringList { "C" });

        w.click(w.form->PushButton5);
        w.click(w.form->PushButton5);
        const QString example = QStringLiteral("lawnmower site:boston.listora.org");
        QCOMPARE(itemTexts(*w.form->ListView2), (QStringList { "C", example, example }));

        w.click(w.form->PushButton3);
        QCOMPARE(w.form->ListView2->count(), 0);
        // On an empty list clearing and deleting do nothing and say nothing.
        w.click(w.form->PushButton3);
        w.click(w.form->PushButton4);
        QCOMPARE(w.desktop.reports.size(), 2);
        // None of the buttons touched the search box or the location list.
        QCOMPARE(w.form->ListView1->count(), 2);
    }

    void memoryFollowsTheEntries()
    {
        // Entries added (some in a batch, as restored ones are) and deleted
        // at random: exactly those left stay, with memory in proportion to
        // them.
        Window w({ "first" });
        QStringList expected { "first" };
        ItemBatch restored;
        for (int k = 1; k <= 20; ++k) {
            expected << QString(k * 10, u'r');
            restored.add(expected.last());
        }
        w.form->ListView2->addItems(std::move(restored));
        std::mt19937 random(7);
        for (int i = 0; i < 10000; ++i) {
            if (expected.size() < 2 || (expected.size() < 40 && random() % 2)) {
                expected << QString::number(i) + QString(int(random() % 300), u'x');
                w.form->ListView2->addItem(expected.last());
            } else {
                w.form->ListView2->selectRow(int(random() % expected.size()));
                expected.removeAt(w.form->ListView2->selectedRow());
                w.form->PushButton4->click();
            }
        }
        QCOMPARE(itemTexts(*w.form->ListView2), expected);
        const qsizetype held = static_cast<const ItemModel*>(w.form->ListView2->model())->items().capacity();
        QVERIFY2(held <= 4 * expected.join(QString()).size(), qPrintable(QString::number(held)));
    }

    void exampleCityIsShipped()
    {
        QFile list(QStringLiteral(QUILLMOOR_SOURCE_DIR "/data/list.txt"));
        QVERIFY(list.open(QIODevice::ReadOnly));
        const QString host = exampleSearch().section(QStringLiteral("site:"), 1);
        QVERIFY(
            QString::fromLatin1(list.readAll()).contains(QStringLiteral("\r\nhttp://") + host + QStringLiteral("/,")));
    }
};

QTEST_MAIN(SearchesTest)
#include "tst_searches.moc"
