#pragma once

#include <QString>

namespace quillmoor {

// What the report says of one action whose launchers did not all hand
// their addresses over: how many of `total` failed, the address of the
// first that did, and what its launcher said, if anything.
QString launchFailureText(int failed, int total, const QString& firstFailed, const QString& firstMessage);

} // namespace quillmoor
