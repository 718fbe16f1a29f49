#pragma once

#include <QString>

namespace pa {

// The plan's help: what the picture shows, the methods, the level model, the figures and the
// mouse and keys, with numbers written with the given decimal separator.
QString helpText(const QString& separator);

} // namespace pa
