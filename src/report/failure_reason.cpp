#include "report/failure_reason.h"

#include <cerrno>

namespace pa {

QString failureReason(int errnoValue, const QString& systemText) {
    switch (errnoValue) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Нет прав на запись");
    case ENOSPC:
        return QStringLiteral("Нет места на диске");
    case EFBIG:
        return QStringLiteral("Превышен допустимый размер файла");
    case EROFS:
        return QStringLiteral("Файловая система доступна только для чтения");
    case EDQUOT:
        return QStringLiteral("Превышена дисковая квота");
    case EISDIR:
        return QStringLiteral("Под этим именем находится папка");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Папка не найдена");
    default:
        // An empty reason would read as success to the callers.
        return systemText.isEmpty() ? QStringLiteral("Неизвестная ошибка") : systemText;
    }
}

} // namespace pa
