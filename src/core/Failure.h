#pragma once

#include <QString>
#include <stdexcept>

namespace quillmoor {

// The one exception type the program throws itself. Its text is shown to the
// user as the first line of the error report, so it must read as a sentence.
class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& description)
        : std::runtime_error(description.toStdString())
    {
    }
    QString description() const { return QString::fromStdString(what()); }
};

} // namespace quillmoor
