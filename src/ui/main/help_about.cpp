#include "ui/main/help_about.h"

#include "about_contacts.h"

#include <QStringList>

namespace pa {

namespace {
const QString kLineBreak = QStringLiteral("\r\n");
} // namespace

QString helpText() {
    // The spacing inside these lines is part of the text as users know it.
    const QStringList lines{
        QStringLiteral("Площадь озвучиваемая одним громкоговорителем расчитываются исходя из:"),
        QStringLiteral("Потолочные: Площадь круга на высоте 1,5 метра (по умолчанию), при угле "
                       "раскрыва громкоговорителя 90 град(по умолчанию)."),
        QStringLiteral("Настенные : Проекция площади сектора на высоту 1,5 метра, (по умолчанию) "
                       "при угле раскрыва громкоговорителя 120 град(по умолчанию)."),
        QStringLiteral("Рупорные  : Проекция площади сектора на высоту 1,5 метра, (по умолчанию) "
                       "при угле раскрыва громкоговорителя 40 град (по умолчанию)."),
        QStringLiteral("Количество громкоговорителей - это площадь помещения деленая на площадь, "),
        QStringLiteral("озвучиваемую одним громкоговорителем, "),
        QStringLiteral("Для коридоров количество будет зависить от диаграммы направленности. "),
        QStringLiteral("Эффективная дальность - это расстояние от громкоговорителя, "),
        QStringLiteral("на котором уровень сигнала больше уровня шума на 10 дБ (по умолчанию)."),
        QStringLiteral("ВНИМАНИЕ:"),
        QStringLiteral("1) Уровни шумов в списке указаны с возможным разбросом 5 дБ"),
        QStringLiteral("2) Результаты расчетов не являются основанием для принятия решения,"),
        QStringLiteral(" а служат для предварительной и примерной оценки!"),
        QStringLiteral("3) Фирма ЛОРВИН ответственности за результаты расчета НЕ НЕСЕТ!"),
    };
    return lines.join(kLineBreak);
}

QString aboutText() {
    const QStringList lines{
        QStringLiteral("Все права на программу принадлежат фирме ЛОРВИН"),
        QStringLiteral("По всем вопросам обращаться:"),
        QString::fromUtf8(about::kAddress),
        QString::fromUtf8(about::kPhone),
        QString::fromUtf8(about::kWeb),
        QString::fromUtf8(about::kEmail),
    };
    return lines.join(kLineBreak);
}

} // namespace pa
