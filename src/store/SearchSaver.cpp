#include "SearchSaver.h"

#include "CarefulFile.h"
#include "Failure.h"
#include "RescueFile.h"
#include "SavedList.h"
#include "SearchStore.h"
#include "SettingsKeys.h"

#include <QFile>
#include <new>
#include <utility>

namespace quillmoor {

SearchSaver::SearchSaver(QString settingsFile, std::function<Snapshot()> snapshot, int quietMs)
    : file_(std::move(settingsFile))
    , snapshot_(std::move(snapshot))
    , quietMs_(quietMs)
{
    quiet_.setSingleShot(true);
    connect(&quiet_, &QTimer::timeout, this, &SearchSaver::startSave);
    // One save at a time, in order.
    thread_.setMaxThreadCount(1);
}

SearchSaver::~SearchSaver()
{
    closed_ = true;
    thread_.waitForDone();
}

void SearchSaver::begin(const QString& searches, const QString& version)
{
    // The text is shared with the caller, not copied.
    readSearches_ = searches;
    readVersion_ = version;
    settled_ = false;
    begun_ = true;
}

void SearchSaver::settle()
{
    if (settled_)
        return;
    known_ = ListVersion::of(readVersion_, readSearches_);
    base_ = storedEntries(readSearches_);
    settled_ = true;
    readSearches_ = QString();
    readVersion_ = QString();
}

void SearchSaver::changed()
{
    if (!begun_ || closed_)
        return;
    dirty_ = true;
    if (!unsaved_.isValid())
        unsaved_.start();
    if (!quiet_.isActive() || unsaved_.elapsed() < kLongestWaitMs)
        quiet_.start(quietMs_);
}

void SearchSaver::startSave()
{
    if (inFlight_ || closed_)
        return; // the save in flight starts the next when it ends
    dirty_ = false;
    unsaved_.invalidate();
    inFlight_ = true;
    thread_.start([this, snapshot = snapshot_()] {
        const Outcome outcome = save(snapshot);
        QMetaObject::invokeMethod(
            this, [this, outcome] { ended(outcome); }, Qt::QueuedConnection);
    });
}

void SearchSaver::ended(const Outcome& outcome)
{
    inFlight_ = false;
    if (closed_)
        return;
    if (!outcome.saved) {
        // Set first: the report may wait for its OK while saves go on.
        if (!std::exchange(failing_, true))
            emit failed(outcome.text);
    } else {
        failing_ = false;
        removeRescued();
        if (!outcome.text.isEmpty())
            emit noticed(outcome.text);
    }
    if (dirty_ && !quiet_.isActive())
        startSave();
    emit finished();
}

SearchSaver::Outcome SearchSaver::save(const Snapshot& snapshot)
{
    QStringList keys = { settings::kSearches, settings::kSearchesVersion };
    for (const auto& key : snapshot.keys)
        keys << key.first;
    for (const auto& key : snapshot.merged)
        keys << key.first;
    try {
        settle();
        ListVersion written;
        const QString notice = SaveSettings(file_, settings::kSection, keys, [&](const QStringList& stored) {
            const ListToStore store = listToStore(known_, base_, snapshot.entries, stored[1], stored[0]);
            QString value = storedValue(store.entries);
            if (value.isNull())
                value = QStringLiteral(""); // an empty list is the empty text
            // A list that stays as it is keeps its version, and the file
            // its bytes.
            const bool same = !stored[0].isNull() && value == stored[0];
            written = same ? ListVersion::of(stored[1], stored[0]) : store.version;
            QStringList texts = { value, same ? stored[1] : written.text() };
            for (const auto& key : snapshot.keys)
                texts << key.second;
            for (const auto& key : snapshot.merged)
                texts << key.second(stored[texts.size()], store.entries);
            return texts;
        });
        known_ = written;
        // A list of its own: sharing the window's would make its next edit
        // copy the whole list on the window's thread.
        base_ = QStringList(snapshot.entries.cbegin(), snapshot.entries.cend());
        return { true, notice };
    } catch (const Failure& failure) {
        return { false, failure.description() };
    } catch (const std::bad_alloc&) {
        return { false, SearchStoreText::tr("Out of memory.") };
    } catch (const std::exception& failure) {
        return { false, QString::fromLocal8Bit(failure.what()) };
    }
}

QString SearchSaver::saveLast(const Snapshot& snapshot)
{
    closed_ = true;
    quiet_.stop();
    thread_.waitForDone();
    const Outcome outcome = save(snapshot);
    if (outcome.saved) {
        removeRescued();
        return outcome.text;
    }
    // Nothing the user sees may go without a copy.
    QString kept;
    try {
        kept = keepRescued(
            file_, { QString(), snapshot.entries, base_, known_.isNone() ? QString() : known_.text(), snapshot.keys });
    } catch (const Failure& failure) {
        throw Failure(outcome.text + u' ' + failure.description());
    }
    // The new copy holds what the older ones brought back.
    removeAfterSave_.removeAll(kept);
    removeRescued();
    throw Failure(outcome.text + u' '
        + SearchStoreText::tr("The list is kept in \"%1\", and the next start takes it back.").arg(kept));
}

void SearchSaver::removeRescued()
{
    for (const QString& file : std::as_const(removeAfterSave_))
        QFile::remove(file);
    removeAfterSave_.clear();
}

} // namespace quillmoor
