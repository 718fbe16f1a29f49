#include "ui/project/project_export.h"
#include "ui/qt_text.h"

#include "project/bill_csv.h"
#include "project/project_file.h"
#include "ui/dialogs.h"
#include "ui/project/project_document.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <optional>
#include <utility>

namespace pa {

namespace {

const QString kPdfTitle = QStringLiteral("Экспорт проекта в PDF");
const QString kBillTitle = QStringLiteral("Спецификация CSV");

QString savingText(const QString& path) {
    return QStringLiteral("Сохранение файла «%1»…").arg(QFileInfo(path).fileName());
}

} // namespace

ProjectExporter::ProjectExporter(Dialogs& dialogs, SheetSource sheets,
                                 std::function<std::string()> decimalSeparator,
                                 QString workingFolder)
    : dialogs_(dialogs), sheets_(std::move(sheets)), decimalSeparator_(std::move(decimalSeparator)),
      workingFolder_(std::move(workingFolder)) {}

QString ProjectExporter::savePdf(const project::Project& project, const QString& name,
                                 const QString& projectFile, project::FiguresCache* cache) {
    const QString path =
        choosePath(kPdfTitle, projectFile, QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return {};
    const SheetOpening sheets = sheets_ ? sheets_() : SheetOpening{nullptr, QString()};
    if (sheets.paint == nullptr) {
        dialogs_.information(kProgramTitle,
                             QStringLiteral("Не удалось загрузить план помещения: ") +
                                 sheets.failure);
        return {};
    }
    const std::unique_ptr<Progress> progress = dialogs_.progress(kPdfTitle, savingText(path));
    const std::string separator = decimalSeparator_();
    const project::ProjectFigures figures =
        project::projectFigures(project, {0, true, cache, separator});
    const ProjectDocument document{project, figures, name, QDate::currentDate(), separator};
    const std::optional<QByteArray> bytes = projectPdf(document, sheets.paint, progress.get());
    // A cancel up to the last step leaves the old file as it was.
    if (!bytes || (progress != nullptr && !progress->step(1)))
        return {};
    return write(path, *bytes) ? path : QString();
}

QString ProjectExporter::saveBill(const project::Project& project, const QString& projectFile) {
    const QString path =
        choosePath(kBillTitle, projectFile, QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return {};
    const std::string separator = decimalSeparator_();
    // Counts and powers need no level map.
    const project::ProjectFigures figures =
        project::projectFigures(project, {0, false, nullptr, separator});
    const std::string csv = project::billCsv(project, figures, separator);
    return write(path, QByteArray(csv.data(), static_cast<qsizetype>(csv.size()))) ? path
                                                                                   : QString();
}

QString ProjectExporter::choosePath(const QString& title, const QString& projectFile,
                                    const QString& filter, const QString& extension) {
    QString folder = folder_;
    if (folder.isEmpty())
        folder = projectFile.isEmpty() ? workingFolder_ : QFileInfo(projectFile).path();
    QString chosenFilter = filter;
    const QString chosen = dialogs_.saveFileName(title, folder, filter, &chosenFilter);
    if (chosen.isEmpty())
        return {};
    QString path = QFileInfo(chosen).suffix().compare(extension, Qt::CaseInsensitive) == 0
                       ? chosen
                       : chosen + QLatin1Char('.') + extension;
    folder_ = QFileInfo(path).absolutePath();
    // The dialog asked about the name it returned; a file under the name completed here is
    // asked about now.
    if (path != chosen && QFileInfo(path).isFile() &&
        dialogs_.question(QStringLiteral("ВНИМАНИЕ!"),
                          QStringLiteral("Файл «%1» уже существует. Заменить его?")
                              .arg(QFileInfo(path).fileName())) != Dialogs::Answer::Yes)
        return {};
    return path;
}

bool ProjectExporter::write(const QString& path, const QByteArray& bytes) {
    const std::string reason =
        bytes.isEmpty()
            ? std::string("Документ не удалось построить")
            : project::saveFile(
                  QFile::encodeName(path).toStdString(),
                  std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (reason.empty())
        return true;
    dialogs_.information(kProgramTitle, QStringLiteral("Не удалось сохранить файл ") +
                                            QFileInfo(path).fileName() + QStringLiteral("\r\n") +
                                            qs(reason));
    return false;
}

} // namespace pa
