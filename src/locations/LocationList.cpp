#include "LocationList.h"

#include "ErrorReport.h"
#include "Failure.h"
#include "Form1.h"
#include "ListView.h"
#include "LocationFile.h"
#include "Platform.h"

#include <QLineEdit>
#include <optional>

namespace quillmoor {

namespace {
    // Past this many characters the old rows' memory is given back rather than
    // kept for the next keystroke.
    constexpr qsizetype kSpareLimit = 32 << 20;
} // namespace

LocationList::LocationList(Form1& form, Platform& platform)
    : form_(form)
    , platform_(platform)
{
}

void LocationList::LoadLocations()
{
    // Whatever goes wrong here is remembered: the same fault would otherwise
    // come back at the first keystroke in the filter box.
    try {
        LocationFile file(LocationFile::pathIn(platform_.applicationFolder));
        ItemBatch items;
        const std::optional<QString> fault = file.read({}, items);
        form_.ListView1->addItems(std::move(items));
        if (fault)
            throw Failure(*fault);
    } catch (const std::exception& e) {
        lastFault_ = QString::fromStdString(e.what());
        throw;
    }
}

void LocationList::Text1_Change()
{
    std::optional<LocationFile> file;
    try {
        // Opened before the list is emptied: a file that cannot be read
        // leaves the list as it was.
        file.emplace(LocationFile::pathIn(platform_.applicationFolder));
    } catch (const std::exception& e) {
        tell(100, QString::fromStdString(e.what()));
        return;
    }
    try {
        spare_.reset();
        const std::optional<QString> fault = file->read(form_.Text1->text(), spare_);
        form_.ListView1->swapItems(spare_);
        if (spare_.capacity() > kSpareLimit)
            spare_.clear();
        if (fault)
            tell(102, *fault);
        else
            lastFault_.clear();
    } catch (const std::exception& e) {
        tell(102, QString::fromStdString(e.what()));
    } catch (...) {
        tell(102, QStringLiteral("Unknown failure."));
    }
}

void LocationList::tell(int line, const QString& description)
{
    if (description == lastFault_)
        return;
    lastFault_ = description;
    ShowErrorReport(platform_, QStringLiteral("Text1_Change"), line, description);
}

} // namespace quillmoor
