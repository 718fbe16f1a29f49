#include "report/report_format.h"

#include <QStringEncoder>

#include <array>
#include <string_view>

namespace pa {

namespace {

enum class Source { None, Model, TypeWord, Room, Record };

// One report line: caption, what follows it, the value and its unit. The height line alone has
// a second caption, used when the ceiling type is not selected.
struct Line {
    const char* caption;
    const char* lead;
    Source source;
    RecordValue CalculationRecord::*field;
    const char* unit;
    const char* otherTypeCaption;
};

constexpr const char* kUnderscores = "________________________________________";
constexpr const char* kHyphens = "---------------------------------------------";

constexpr std::array<Line, 26> kLines{{
    {"ВХОДНЫЕ ДАННЫЕ", "", Source::None, nullptr, "", nullptr},
    {kUnderscores, "", Source::None, nullptr, "", nullptr},
    {"Наименование громкоговорителя:", "\t ", Source::Model, nullptr, "", nullptr},
    {"Тип громкоговорителя:", "\t ", Source::TypeWord, nullptr, "", nullptr},
    {"Мощность громкоговорителя:", "\t- ", Source::Record, &CalculationRecord::SpeakerPower, " Вт",
     nullptr},
    {"Чувствительность громковорителя:", "\t- ", Source::Record, &CalculationRecord::SpeakerSpl,
     " дБ", nullptr},
    {"Диаграмма направленности:", "\t- ", Source::Record, &CalculationRecord::DirAngle, " град",
     nullptr},
    {"Уровень перекрытия шума:", "\t- ", Source::Record, &CalculationRecord::OverlapLevel, " дБ",
     nullptr},
    {"Высота точки прослушивания:", "\t- ", Source::Record, &CalculationRecord::ListenHeight, " См",
     nullptr},
    {kUnderscores, "", Source::None, nullptr, "", nullptr},
    {"Тип помещения:", "\t- ", Source::Room, nullptr, "", nullptr},
    {"Уровень шума помещения:", "\t- ", Source::Record, &CalculationRecord::RoomNoise, " дБ",
     nullptr},
    {"Высота   потолков:", "\t- ", Source::Record, &CalculationRecord::MountHeight, " м",
     "Высота установки громкоговорителя:"},
    {"Длина   помещения:", "\t- ", Source::Record, &CalculationRecord::RoomLength, " м", nullptr},
    {"Ширина  помещения:", "\t- ", Source::Record, &CalculationRecord::RoomWidth, " м", nullptr},
    {"Площадь помещения:", "\t- ", Source::Record, &CalculationRecord::RoomArea, " кв.м", nullptr},
    {"", "", Source::None, nullptr, "", nullptr},
    {"ВЫХОДНЫЕ ДАННЫЕ", "", Source::None, nullptr, "", nullptr},
    {kUnderscores, "", Source::None, nullptr, "", nullptr},
    {"Общее звуковое давление:", "\t- ", Source::Record, &CalculationRecord::TotalSpl, " дБ",
     nullptr},
    {"Эффективная дальность:", "\t- ", Source::Record, &CalculationRecord::EffRange, " м", nullptr},
    {"Озвучиваемая площадь ", "\t- ", Source::Record, &CalculationRecord::CoverArea, " кв.м",
     nullptr},
    {"Необходимое кол-во громкоговорителей:", " - ", Source::Record,
     &CalculationRecord::SpeakerCount, " Шт", nullptr},
    {"", "", Source::None, nullptr, "", nullptr},
    {kHyphens, "", Source::None, nullptr, "", nullptr},
    {"", "", Source::None, nullptr, "", nullptr},
}};

// The lines after this one are the results of the calculation.
constexpr std::size_t kOutputHeading = 17;
static_assert(std::string_view(kLines[kOutputHeading].caption) == "ВЫХОДНЫЕ ДАННЫЕ");

// Windows-1251 with "?" for every character the code page lacks. The converter on its own puts
// the control character SUB there, which no text viewer shows.
QByteArray encodeWindows1251(const QString& text) {
    QStringEncoder encoder("windows-1251");
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    // The error flag does not reset, so each character is tried with a converter of its own.
    bytes.clear();
    for (qsizetype i = 0; i < text.size();) {
        const QChar unit = text.at(i);
        const bool pair =
            unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        if (unit.isSurrogate() && !pair) {
            // A lone half of a pair: the converter would hold it back waiting for the rest.
            bytes += '?';
        } else {
            QStringEncoder single("windows-1251");
            const QByteArray encoded = single.encode(QStringView(text).mid(i, length));
            bytes += single.hasError() ? QByteArray("?") : encoded;
        }
        i += length;
    }
    return bytes;
}

// A single-line field still takes a pasted line break, which would split its report line in two
// and leave the file with a report of the wrong length.
QString onOneLine(QString text) {
    return text.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString lineCaption(const Line& line, SpeakerType type) {
    const bool ceiling = type == SpeakerType::Ceiling;
    return QString::fromUtf8(line.otherTypeCaption != nullptr && !ceiling ? line.otherTypeCaption
                                                                          : line.caption);
}

// The value of a line with its unit, as the report writes it after the lead.
QString lineValue(const Line& line, const CalculationRecord& record, const ReportSources& sources,
                  const std::string& separator) {
    QString text;
    switch (line.source) {
    case Source::None:
        break;
    case Source::Model:
        text += onOneLine(sources.model);
        break;
    case Source::TypeWord: {
        const std::string_view word = typeWord(sources.type);
        text += QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()));
        break;
    }
    case Source::Room:
        text += onOneLine(sources.room);
        break;
    case Source::Record:
        text += QString::fromStdString((record.*line.field).print(separator));
        break;
    }
    return text + QString::fromUtf8(line.unit);
}

} // namespace

QByteArray formatReport(const CalculationRecord& record, const ReportSources& sources,
                        const QString& decimalSeparator) {
    const std::string separator = decimalSeparator.toStdString();
    QString text;
    for (const Line& line : kLines) {
        text += lineCaption(line, sources.type);
        text += QString::fromUtf8(line.lead);
        text += lineValue(line, record, sources, separator);
        text += QStringLiteral("\r\n");
    }
    return encodeWindows1251(text);
}

QList<ReportEntry> reportEntries(const CalculationRecord& record, const ReportSources& sources,
                                 const QString& decimalSeparator) {
    const std::string separator = decimalSeparator.toStdString();
    QList<ReportEntry> entries;
    for (std::size_t i = 0; i < kLines.size(); ++i) {
        const Line& line = kLines[i];
        if (line.source != Source::None)
            entries.append({lineCaption(line, sources.type).simplified(),
                            lineValue(line, record, sources, separator), i > kOutputHeading});
    }
    return entries;
}

} // namespace pa
