#include "ui/main/report_command.h"

#include "report/report_file.h"

#include <QDir>
#include <QFileInfo>

namespace pa {

namespace {

// Style of the question box: Yes, No and Cancel with the question icon.
constexpr double kQuestionStyle = 35;

} // namespace

void runReportCommand(Dialogs& dialogs, const QString& folder, CalculationRecord& record,
                      const ReportSources& sources, const QString& decimalSeparator) {
    const QString path = QDir(folder).filePath(kReportFileName);
    WriteMode mode = WriteMode::Replace;
    // Only a regular file, or a link to one, is an earlier report to ask about; anything else
    // under that name is refused by the writer, with its reason.
    if (QFileInfo(path).isFile()) {
        record.MsgAnswer = kQuestionStyle;
        const QString text = QStringLiteral("Файл  %1  уже существует.\r\n"
                                            "Добавить данные в существующий файл? (Да)\r\n"
                                            "Создать новый? (Нет)")
                                 .arg(kReportFileName);
        switch (dialogs.question(QStringLiteral("ВНИМАНИЕ!"), text)) {
        case Dialogs::Answer::Yes:
            mode = WriteMode::Append;
            break;
        case Dialogs::Answer::No:
            break;
        case Dialogs::Answer::Cancel:
            return;
        }
    }
    const QString reason =
        writeReportFile(path, formatReport(record, sources, decimalSeparator), mode);
    if (!reason.isEmpty()) {
        dialogs.information(
            kProgramTitle,
            QStringLiteral("Не удалось записать файл %1\r\n%2").arg(kReportFileName, reason));
        return;
    }
    dialogs.information(kProgramTitle,
                        QStringLiteral("Данные находятся в файле %1").arg(kReportFileName));
}

} // namespace pa
