#include "PagesOpening.h"

#include "SearchLists.h"

#include "OpenPace.h"
#include "OpenedRecord.h"
#include "PageQueries.h"
#include "Platform.h"
#include "SearchListModel.h"
#include "SettingsKeys.h"
#include "Trap.h"
#include "WhereToOpen.h"

#include <QDateTime>
#include <QScopeGuard>
#include <thread>

namespace quillmoor {

PagesOpening::PagesOpening(Platform& platform, SearchLists& lists)
    : platform_(platform)
    , lists_(lists)
{
    lists_.model(0).setOpenedTimes(&opened_);
    connect(&lists_, &SearchLists::namesChanged, this, [this] {
        for (qsizetype i = 0; i < lists_.count(); ++i)
            lists_.model(i).setOpenedTimes(&opened_);
    });
    if (platform_.watchHanded)
        platform_.watchHanded(this, [this](const QUrl& url) { handed(url); });
}

QStringList PagesOpening::keys() { return { settings::kOpenPace, settings::kSearchesOpened }; }

void PagesOpening::restore(const StoredTexts& stored)
{
    // A file that is not all INI has been reported with the searches.
    if (!stored.allIni)
        return;
    paceMs_ = openPaceFromText(stored.values.value(settings::kOpenPace)).value_or(0);
    if (platform_.setLaunchPace)
        platform_.setLaunchPace(paceMs_);
    const QString value = stored.values.value(settings::kSearchesOpened);
    if (value.isEmpty())
        return;
    forgetRead();
    auto reader = std::make_shared<Reader>();
    reader->owner = this;
    reader_ = reader;
    std::packaged_task<OpenedRecord()> read([value, reader] {
        // Told also when the read throws (memory, say): the window reports
        // it, and the times are then those recorded from now on.
        const auto done = qScopeGuard([reader] {
            const std::lock_guard<std::mutex> held(reader->lock);
            if (PagesOpening* const owner = reader->owner)
                QMetaObject::invokeMethod(
                    owner,
                    [owner] {
                        Trap(owner->platform_, QStringLiteral("Form_Load")).run(156, [owner] { owner->takeRead(); });
                    },
                    Qt::QueuedConnection);
        });
        return openedRecordFromText(value);
    });
    reading_ = read.get_future();
    // Left to end by itself: a close right after the start does not wait
    // for a read whose times nobody would see.
    std::thread(std::move(read)).detach();
}

PagesOpening::~PagesOpening() { forgetRead(); }

void PagesOpening::forgetRead()
{
    if (!reader_)
        return;
    const std::lock_guard<std::mutex> held(reader_->lock);
    reader_->owner = nullptr;
}

void PagesOpening::takeRead()
{
    if (!reading_.valid())
        return;
    // Taken once, whatever the read gave.
    opened_.take(reading_.get());
    timesChanged(nullptr);
}

void PagesOpening::timesChanged(const QStringList* entries)
{
    for (qsizetype i = 0; i < lists_.count(); ++i) {
        if (entries)
            lists_.model(i).openedTimesChanged(*entries);
        else
            lists_.model(i).openedTimesChanged();
    }
}

const OpenedTimes& PagesOpening::opened()
{
    takeRead();
    return opened_;
}

void PagesOpening::choosePace(int ms)
{
    paceMs_ = ms;
    paceChosen_ = true;
    if (platform_.setLaunchPace)
        platform_.setLaunchPace(ms);
}

QList<std::pair<QString, QString>> PagesOpening::chosenKeys() const
{
    if (!paceChosen_)
        return {};
    return { { settings::kOpenPace, QString::number(paceMs_) } };
}

QList<std::pair<QString, SearchSaver::Snapshot::Merge>> PagesOpening::mergedKeys() const
{
    // A copy, for the saver's thread.
    return { { settings::kSearchesOpened, [own = opened_.times()](const QString& stored, const QStringList& entries) {
                  return mergedOpenedText(stored, own, entries);
              } } };
}

QList<PagesOpening::Page> PagesOpening::pagesOf(const WhereToOpen& where, const QStringList& entries)
{
    const QStringList queries = where.openAllQueries(entries);
    const QList<QStringList> covered = pageEntries(queries, entries);
    QList<Page> pages;
    pages.reserve(queries.size());
    for (qsizetype i = 0; i < queries.size(); ++i)
        pages.append({ queries.at(i), covered.at(i) });
    return pages;
}

bool PagesOpening::waiting() const { return platform_.launchesWaiting && platform_.launchesWaiting(); }

QList<PagesOpening::Page> PagesOpening::notInRun(const QList<Page>& pages)
{
    if (!rest_.isEmpty()) {
        rest_.clear();
        emit restChanged(0, 0, 0);
    }
    if (!waiting()) {
        run_.clear();
        queued_.clear();
        runHanded_ = 0;
        return pages;
    }
    QList<Page> added;
    for (const Page& page : pages)
        if (!run_.contains(page.query))
            added.append(page);
    return added;
}

void PagesOpening::open(Trap& trap, const WhereToOpen& where, const Page& page)
{
    const QUrl url = where.url(page.query);
    trap.openUrl(url);
    run_.insert(page.query);
    // Where nothing tells when a page goes, it has gone once asked for.
    if (platform_.watchHanded)
        queued_.emplace_back(url, page);
    else
        record(page.entries, QDateTime::currentSecsSinceEpoch());
}

void PagesOpening::handed(const QUrl& url)
{
    for (auto queued = queued_.begin(); queued != queued_.end(); ++queued) {
        if (queued->first == url) {
            ++runHanded_;
            const QStringList entries = queued->second.entries;
            queued_.erase(queued);
            record(entries, QDateTime::currentSecsSinceEpoch());
            return;
        }
    }
}

void PagesOpening::record(const QStringList& entries, qint64 seconds)
{
    opened_.record(entries, seconds);
    timesChanged(&entries);
    emit openedChanged();
}

int PagesOpening::stopped()
{
    const int handed = runHanded_;
    rest_.clear();
    for (auto& queued : queued_)
        rest_.append(std::move(queued.second));
    queued_.clear();
    run_.clear();
    runHanded_ = 0;
    emit restChanged(handed, handed + int(rest_.size()), int(rest_.size()));
    return int(rest_.size());
}

QList<PagesOpening::Page> PagesOpening::takeRest()
{
    const QList<Page> rest = std::move(rest_);
    rest_.clear();
    emit restChanged(0, 0, 0);
    return rest;
}

void PagesOpening::listChanged()
{
    if (rest_.isEmpty())
        return;
    const QStringList& entries = lists_.shown().entries();
    const QSet<QString> there(entries.cbegin(), entries.cend());
    for (const Page& page : std::as_const(rest_)) {
        for (const QString& entry : page.entries) {
            if (!there.contains(entry)) {
                rest_.clear();
                emit restChanged(0, 0, 0);
                return;
            }
        }
    }
}

QHash<QUrl, QByteArray> PagesOpening::handingOver() const
{
    QHash<QUrl, QByteArray> notes;
    if (!waiting())
        return notes;
    // One address, one query: the same searches wherever it comes twice.
    for (const auto& [url, page] : queued_)
        notes.insert(url, openedNote(page.entries));
    return notes;
}

} // namespace quillmoor
