#pragma once

#include "ui/plan/plan_document.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace pa {

class PlanDialogs;
class Progress;

enum class ExportType { Pdf, Svg, Png, Dxf, Csv };

// The file's bytes; empty when the document could not be produced, nothing when the progress,
// when there is one, was cancelled. The sheet reports its pages and rows, the other types
// their start.
std::optional<QByteArray> exportBytes(ExportType type, const PlanDocument& document,
                                      Progress* progress = nullptr);

// The save dialog's filters, ";;" between them, the sheet first.
QString exportFilters();

// What a chosen name and filter save: the type of the name's extension when it has one of the
// five, otherwise the filter's type with its extension added.
struct ExportTarget {
    QString path;
    ExportType type = ExportType::Pdf;
};
ExportTarget exportTarget(const QString& chosenPath, const QString& selectedFilter);

// Writes a document to path through a temporary file that replaces the old one only when it
// is complete. The reason of a failure, empty on success.
QString saveExport(const QString& path, ExportType type, const PlanDocument& document);

// The plan window's export and print commands. The last folder is remembered while the program
// runs; the first is the given one, or the working folder at the first export when none is given.
class PlanExporter {
public:
    PlanExporter(PlanDialogs& dialogs, QString folder);

    // Asks for a name and a type, whether to replace a file under a name it completed, and saves
    // with a progress the user can cancel; a failure is shown with its reason. The saved path,
    // or nothing when the user cancelled or the save failed.
    QString saveAs(const PlanDocument& document);
    // Asks for a printer and prints the sheet on it; a printer that cannot start is reported.
    void print(const PlanDocument& document);

    const QString& folder() const { return folder_; }

private:
    PlanDialogs& dialogs_;
    QString folder_;
    QString filter_;
};

} // namespace pa
