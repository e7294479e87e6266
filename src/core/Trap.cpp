#include "Trap.h"

#include "ErrorReport.h"
#include "Failure.h"
#include "Platform.h"

#include <QCoreApplication>
#include <new>

namespace quillmoor {

Trap::Trap(Platform& platform, QString procedure)
    : platform_(platform)
    , procedure_(std::move(procedure))
{
}

Trap::~Trap()
{
    if (opened_ && platform_.endLaunchAction)
        platform_.endLaunchAction();
}

bool Trap::ended() const { return platform_.unloaded; }

void Trap::openUrl(const QUrl& url)
{
    opened_ = true;
    platform_.openUrl(url, procedure_, line_);
}

QString describeFailure(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Failure& f) {
        return f.description();
    } catch (const std::bad_alloc&) {
        return QCoreApplication::translate("Trap", "Out of memory.");
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QCoreApplication::translate("Trap", "Unknown failure.");
    }
}

void Trap::report(int line, std::exception_ptr failure)
{
    if (ended())
        return;
    // Nothing may leave the trap, not even a failure to describe or show the
    // report: the handler goes on, and the searches are still saved at close.
    try {
        const QString description = describeFailure(failure);
        if (lastReported_) {
            if (description == *lastReported_)
                return;
            *lastReported_ = description;
        }
        ShowErrorReport(platform_, procedure_, line, description);
    } catch (...) {
        qWarning("Quillmoor: a failure at line %d could not be reported", line);
    }
}

} // namespace quillmoor
