#include "project/project_tables.h"

#include "core/numbers.h"
#include "data/catalogue.h"
#include "plan/plan.h"

#include <array>
#include <optional>

namespace pa::project {

namespace {

struct Column {
    std::string_view caption;
    bool numeric;
};

constexpr std::array<Column, 10> kRoomColumns{{
    {"№", true},
    {"Помещение", false},
    {"Этаж/зона", false},
    {"Размеры, м", false},
    {"Модель", false},
    {"Количество, шт.", true},
    {"Мин. уровень, дБ", true},
    {"Доля ≥ T", true},
    {"Проверки", false},
    {"Линия", false},
}};

constexpr std::array<Column, 6> kBillColumns{{
    {"Модель", false},
    {"Тип", false},
    {"Мощность, Вт", true},
    {"Чувствительность, дБ", true},
    {"Количество, шт.", true},
    {"Суммарная мощность, Вт", true},
}};

constexpr std::array<Column, 13> kLineColumns{{
    {"Линия", false},
    {"Напряжение, В", true},
    {"Помещений", true},
    {"Нагрузка ΣP, Вт", true},
    {"Сопротивление нагрузки, Ом", true},
    {"Длина кабеля, м", true},
    {"Сечение, мм²", true},
    {"Сопротивление кабеля, Ом", true},
    {"Потери, дБ", true},
    {"Оценка потерь", false},
    {"Наименьшее сечение, мм²", true},
    {"Запас усилителя, %", true},
    {"Мощность усилителя, Вт", true},
}};

constexpr std::string_view kNone = "—";

template <std::size_t N> TextTable emptyTable(const std::array<Column, N>& columns) {
    TextTable table;
    for (const Column& column : columns) {
        table.header.emplace_back(column.caption);
        table.numeric.push_back(column.numeric);
    }
    return table;
}

std::string checksText(const RoomFigures& room, std::string_view separator) {
    if (!room.calculated())
        return "не рассчитано";
    std::size_t met = 0;
    std::string failed;
    for (const plan::FigureRow& row : plan::figureRows(*room.inputs, room.figures, separator)) {
        if (row.verdict == plan::Verdict::Met) {
            ++met;
        } else if (row.verdict != plan::Verdict::None) {
            failed += failed.empty() ? "не выполнено: " : "; ";
            failed += row.caption;
        }
    }
    return failed.empty() ? "выполнено: " + std::to_string(met) : failed;
}

std::string lossVerdict(LossCheck check, std::string_view separator) {
    switch (check) {
    case LossCheck::Ok:
        return "в норме";
    case LossCheck::Warning:
        return "больше " + plan::fixedText(kLossWarnDb, 1, separator) + " дБ";
    case LossCheck::Failure:
        return "больше " + plan::fixedText(kLossFailDb, 1, separator) + " дБ";
    case LossCheck::Unknown:
        break;
    }
    return std::string(kNone);
}

std::string optionalText(const std::optional<double>& value, int decimals,
                         std::string_view separator) {
    return value ? plan::fixedText(*value, decimals, separator) : std::string(kNone);
}

} // namespace

TextTable roomTable(const Project& project, const ProjectFigures& figures,
                    std::string_view decimalSeparator) {
    TextTable table = emptyTable(kRoomColumns);
    for (std::size_t i = 0; i < project.rooms.size() && i < figures.rooms.size(); ++i) {
        const Room& room = project.rooms[i];
        const RoomFigures& f = figures.rooms[i];
        const bool mapped = f.calculated() && f.figures.mapped;
        const Line* line = project.line(room.line);
        table.rows.push_back({
            std::to_string(i + 1),
            room.name,
            room.floor,
            room.length + " × " + room.width + " × " + room.height,
            room.model,
            f.calculated() ? std::to_string(f.speakers.size()) : std::string(kNone),
            mapped ? plan::fixedText(f.figures.minLevel, 1, decimalSeparator) : std::string(kNone),
            mapped ? plan::shareText(f.figures.shareAtTarget, decimalSeparator)
                   : std::string(kNone),
            checksText(f, decimalSeparator),
            line == nullptr      ? std::string()
            : line->name.empty() ? line->id
                                 : line->name,
        });
    }
    return table;
}

TextTable billTable(const ProjectFigures& figures, std::string_view decimalSeparator) {
    TextTable table = emptyTable(kBillColumns);
    std::size_t count = 0;
    double watts = 0;
    for (const BillRow& row : figures.bill) {
        // A catalogue model's figures are the catalogue's; a manual entry's are its own.
        const std::optional<int> power = ModelPower(row.model);
        const std::optional<int> spl = ModelSpl(row.model);
        table.rows.push_back({
            row.model,
            std::string(typeWord(row.type)),
            numberText(power ? *power : row.power, decimalSeparator),
            numberText(spl ? *spl : row.sensitivity, decimalSeparator),
            std::to_string(row.count),
            plan::fixedText(row.watts, 1, decimalSeparator),
        });
        count += row.count;
        watts += row.watts;
    }
    table.rows.push_back(
        {"Итого", "", "", "", std::to_string(count), plan::fixedText(watts, 1, decimalSeparator)});
    return table;
}

TextTable lineTable(const Project& project, const ProjectFigures& figures,
                    std::string_view decimalSeparator) {
    TextTable table = emptyTable(kLineColumns);
    for (std::size_t i = 0; i < project.lines.size() && i < figures.lines.size(); ++i) {
        const Line& line = project.lines[i];
        const LineFigures& f = figures.lines[i];
        const auto number = [&](double value, int decimals) {
            return plan::fixedText(value, decimals, decimalSeparator);
        };
        table.rows.push_back({
            line.name.empty() ? line.id : line.name,
            std::to_string(line.voltage),
            std::to_string(f.rooms),
            number(f.totalWatts, 1),
            optionalText(f.impedance, 1, decimalSeparator),
            number(line.cableLength, 1),
            number(line.crossSection, 2),
            optionalText(f.resistance, 2, decimalSeparator),
            optionalText(f.lossDb, 2, decimalSeparator),
            lossVerdict(f.check, decimalSeparator),
            optionalText(f.smallestSection, 2, decimalSeparator),
            numberText(line.amplifierMargin * 100, decimalSeparator),
            number(f.amplifierWatts, 1),
        });
    }
    return table;
}

} // namespace pa::project
