#include "ui/plan/plan_help.h"

#include "plan/level_model.h"
#include "plan/rules.h"
#include "ui/plan/plan_view.h"
#include "ui/table_style.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>

namespace pa {

namespace {

// Fits a screen 768 pixels high with the title bar and a task bar.
constexpr QSize kHelpSize(640, 600);

} // namespace

QString helpTitle() {
    return QStringLiteral("Справка по плану");
}

QString helpText(const QString& separator) {
    // The shortest form of the number, as the plan checks it; a true minus sign.
    auto d = [&separator](double number) {
        return QString::number(number, 'g', 6)
            .replace(QLatin1Char('.'), separator)
            .replace(QLatin1Char('-'), QChar(0x2212));
    };
    return QStringLiteral(
               "План показывает помещение сверху в масштабе: сетку с шагом в метр (на больших "
               "помещениях крупнее), громкоговорители с номерами, зону покрытия каждого тонкой "
               "линией (круг радиуса R у потолочного, сектор с эффективной дальностью и углом "
               "диаграммы направленности у настенного и рупорного), цветную карту уровня на "
               "высоте точки прослушивания, линию целевого уровня T, худшую точку (крестик) и "
               "шаг установки по ряду и по столбцу.\n\n"
               "Способы размещения потолочных громкоговорителей (R — радиус зоны покрытия на "
               "высоте прослушивания):\n"
               "• «По расчету» — рассчитанное количество на самой равномерной сетке, крайние в "
               "половине шага от стен;\n"
               "• «Край к краю» — шаг не больше 2R, зоны касаются друг друга;\n"
               "• «Минимальное перекрытие» — шаг не больше √2·R, на полу нет точки вне всех "
               "зон;\n"
               "• «Край к центру» — шаг не больше R.\n"
               "Настенные и рупорные громкоговорители висят на длинных стенах на высоте "
               "установки и направлены поперек помещения: «По расчету» — на обеих стенах в "
               "шахматном порядке, «Одна стена» — все на одной: ближней (Y = 0) или дальней "
               "(Y = W), как выбрано в списке способов.\n\n"
               "Модель уровня: от каждого громкоговорителя — его общее звуковое давление минус "
               "20·lg расстояния до точки (м) плюс поправка направленности; вклады всех "
               "громкоговорителей складываются по энергии. Поправка равна %1·(θ/θ½)² дБ, где θ — "
               "угол от оси громкоговорителя, θ½ — половина угла диаграммы направленности: на "
               "краю диаграммы уровень на %2 дБ ниже, чем на оси; поправка не бывает меньше "
               "%3 дБ.\n"
               "Ограничения: учитывается только прямой звук в свободном поле — без отражений, "
               "без реверберации; индекс разборчивости речи не рассчитывается.\n\n"
               "Показатели считаются по точкам пола с шагом не больше %4 м (или %5 точек по "
               "стороне), включая края и углы, и не зависят от размера окна.\n"
               "• T — целевой уровень: шум помещения плюс уровень перекрытия шума, как в "
               "расчете; доля площади — часть пола с уровнем не ниже T.\n"
               "• Уровень не менее чем на %6 дБ выше шума во всех точках на высоте %7 м (СП "
               "3.13130.2009, п. 4.2); при другой высоте прослушивания проверка сделана на "
               "выбранной высоте.\n"
               "• Уровень громкоговорителей вместе с шумом нигде не выше %8 дБ, и каждый "
               "громкоговоритель дает не менее %9 дБ в %10 м по оси (п. 4.1).\n"
               "• Мощность — сумма мощностей громкоговорителей, как в расчете, и усилитель с "
               "запасом %11 %.\n\n"
               "Щелчок выбирает громкоговоритель, мышь перетаскивает его (настенный и рупорный — "
               "вдоль своей стены); «Привязка» ставит его на ближайшее деление выбранного шага "
               "(«плитка» — в середину плитки потолка). В рамке «Выбранный громкоговоритель» "
               "можно ввести X и Y выбранного, у настенного и рупорного — X и стену, ближнюю или "
               "дальнюю. Стрелки сдвигают выбранный на %12 м, с Shift — на %13 м; Page "
               "Up и Page Down выбирают предыдущий и следующий. Двойной щелчок на полу добавляет "
               "громкоговоритель (настенный и рупорный — на ближайшей длинной стене), Delete "
               "удаляет выбранный. Карта и показатели следуют сразу; Ctrl+Z отменяет правку, "
               "Ctrl+Shift+Z и Ctrl+Y возвращают ее. Колесо мыши — масштаб, средняя кнопка или "
               "пробел — сдвиг, 0 — вписать план в окно. Строка «Минимальный уровень» в "
               "показателях, если ее выбрать, на миг выделяет худшую точку на плане. «Сбросить» "
               "и смена способа размещают заново; каждый успешный расчет в главном окне — тоже. "
               "Esc закрывает окно.")
        .arg(d(plan::kEdgeDrop), d(-plan::kEdgeDrop), d(plan::kDirectivityFloor),
             d(plan::kFigureSpacing), d(plan::kMaxFigurePoints), d(plan::kAboveNoise),
             d(plan::kStandardListen), d(plan::kMaxTotalLevel), d(plan::kMinOnAxisLevel),
             d(plan::kOnAxisDistance), d((plan::kAmplifierReserve - 1) * 100), d(kFineStep),
             d(kCoarseStep));
}

PlanHelp::PlanHelp(QWidget* parent) : QDialog(parent), text_(new QTextBrowser) {
    setObjectName(QStringLiteral("planHelp"));
    setWindowTitle(helpTitle());
    setPalette(lightPalette());
    text_->setFont(tableFont(layout::Font::F4));
    text_->setOpenLinks(false);
    text_->setAccessibleName(helpTitle());
    auto* buttons = new QDialogButtonBox;
    QPushButton* close =
        buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(text_, 1);
    column->addWidget(buttons);
    resize(kHelpSize);
}

void PlanHelp::showText(const QString& text) {
    if (text_->toPlainText() != text)
        text_->setPlainText(text);
    text_->moveCursor(QTextCursor::Start);
    show();
    raise();
    activateWindow();
}

} // namespace pa
