#pragma once

#include "OpenedRecord.h"
#include "OpenedTimes.h"
#include "SearchSaver.h"
#include "SearchStore.h"

#include <QObject>
#include <QSet>
#include <QUrl>
#include <deque>
#include <future>
#include <memory>
#include <mutex>

namespace quillmoor {

class SearchLists;
class Trap;
struct Platform;
struct WhereToOpen;

// The pages of the saved searches on their way to the browser: the pace
// they go at (OpenPace in the settings file, written only once the user
// chose one; a value not understood counts as the default and stays), the
// run they belong to, the rest kept when the user stopped them, and when
// each search was opened (SearchesOpened).
class PagesOpening : public QObject {
    Q_OBJECT
public:
    // One page: its query and the saved searches it covers.
    struct Page {
        QString query;
        QStringList entries;
    };

    PagesOpening(Platform& platform, SearchLists& lists);
    ~PagesOpening() override;

    // The keys start-up reads, and what it read of them. The times come a
    // moment later: a million of them take a second or more to read, which
    // the window's start does not wait for; the rows show them once read.
    static QStringList keys();
    void restore(const StoredTexts& stored);

    int paceMs() const { return paceMs_; }
    void choosePace(int ms);
    // For the save: the pace where the user chose one, and the times
    // merged with those the file holds then.
    QList<std::pair<QString, QString>> chosenKeys() const;
    QList<std::pair<QString, SearchSaver::Snapshot::Merge>> mergedKeys() const;
    // With the times read at the start, waited for if need be: a choice
    // made by them never takes a search for one not opened yet.
    const OpenedTimes& opened();

    // The pages Open All opens of `entries`, each with what it covers.
    static QList<Page> pagesOf(const WhereToOpen& where, const QStringList& entries);
    // Of `pages`, those the run going on has neither opened nor queued; all
    // of them once none waits. A new press starts afresh: no rest is kept.
    QList<Page> notInRun(const QList<Page>& pages);
    // Queues `page` for the statement of `trap`.
    void open(Trap& trap, const WhereToOpen& where, const Page& page);

    // The user stopped the pages that wait: they are kept as the rest,
    // whose size it answers.
    int stopped();
    bool hasRest() const { return !rest_.isEmpty(); }
    // The rest, which is no longer kept.
    QList<Page> takeRest();
    // The list changed: a rest that covers a search no longer there goes.
    void listChanged();
    // The window closes: what waits is handed over after it, at the pace,
    // and counts as opened as each page goes. By page, the searches it
    // stands for, for whatever hands it over to record.
    QHash<QUrl, QByteArray> handingOver() const;

signals:
    // The times changed, and should be saved.
    void openedChanged();
    // `rest` pages are kept after `handed` of `total` were opened.
    void restChanged(int handed, int total, int rest);

private:
    void handed(const QUrl& url);
    void record(const QStringList& entries, qint64 seconds);
    bool waiting() const;
    // Takes the times read at the start into those shown, once read;
    // throws what the read threw.
    void takeRead();

    Platform& platform_;
    SearchLists& lists_;
    // Every list shows the times, whichever list opened its searches.
    void timesChanged(const QStringList* entries);
    OpenedTimes opened_;
    // The read's way back to this object, cut when it goes.
    struct Reader {
        std::mutex lock;
        PagesOpening* owner = nullptr;
    };
    std::shared_ptr<Reader> reader_;
    std::future<OpenedRecord> reading_;
    void forgetRead();
    int paceMs_ = 0;
    bool paceChosen_ = false;
    // The run going on: every query opened or queued in it, and those
    // queued and not yet handed over, in order.
    QSet<QString> run_;
    int runHanded_ = 0;
    std::deque<std::pair<QUrl, Page>> queued_;
    QList<Page> rest_;
};

} // namespace quillmoor
