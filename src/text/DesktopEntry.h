#pragma once

#include <QByteArray>
#include <QString>

namespace quillmoor {

// The desktop entry that opens one list of saved searches from the
// desktop's applications menu, in the format desktops read such entries in.

// An argument of a desktop entry's Exec key: quoted whole, with the
// characters quoting reserves escaped, then a value's own escapes applied,
// and "%" doubled as no field code: any name a user can type comes to the
// program exactly as typed.
QString execArgument(const QString& argument);

// The entry's text for the list named `list`, started by `program`.
QByteArray listEntryText(const QString& list, const QString& program);

} // namespace quillmoor
