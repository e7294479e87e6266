#include "Trap.h"

#include "ErrorReport.h"
#include "Failure.h"

#include <QCoreApplication>
#include <new>

namespace quillmoor {

Trap::Trap(Platform& platform, QString procedure)
    : platform_(platform)
    , procedure_(std::move(procedure))
{
}

void Trap::report(int line, std::exception_ptr failure)
{
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
}

} // namespace quillmoor
