#include "report/failure_reason.h"

#include "io/atomic_file.h"

namespace pa {

QString failureReason(int errnoValue, const QString& systemText) {
    const std::string_view known = io::failureText(errnoValue);
    if (!known.empty())
        return QString::fromUtf8(known.data(), static_cast<qsizetype>(known.size()));
    // An empty reason would read as success to the callers.
    return systemText.isEmpty() ? QStringLiteral("Неизвестная ошибка") : systemText;
}

} // namespace pa
