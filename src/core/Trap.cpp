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

bool Trap::ended() const { return platform_.unloaded; }

void Trap::report(int line, std::exception_ptr failure)
{
    if (ended())
        return;
    // Nothing may leave the trap, not even a failure to describe or show the
    // report: the handler goes on, and the searches are still saved at close.
    try {
        QString description;
        try {
            std::rethrow_exception(failure);
        } catch (const Failure& f) {
            description = f.description();
        } catch (const std::bad_alloc&) {
            description = QCoreApplication::translate("Trap", "Out of memory.");
        } catch (const std::exception& e) {
            description = QString::fromLocal8Bit(e.what());
        } catch (...) {
            description = QCoreApplication::translate("Trap", "Unknown failure.");
        }
        ShowErrorReport(platform_, procedure_, line, description);
    } catch (...) {
        qWarning("Quillmoor: a failure at line %d could not be reported", line);
    }
}

} // namespace quillmoor
