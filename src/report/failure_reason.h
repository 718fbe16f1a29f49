#pragma once

#include <QString>

namespace pa {

// The reason a file could not be written, for the second line of a failure message: a Russian
// text for the usual causes named by errnoValue, otherwise the system's own text. errnoValue 0
// means no error number is known.
QString failureReason(int errnoValue, const QString& systemText);

} // namespace pa
