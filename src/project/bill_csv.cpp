#include "project/bill_csv.h"

#include "core/csv.h"
#include "project/project_tables.h"

namespace pa::project {

namespace {

void appendTable(std::string& csv, const TextTable& table) {
    appendCsvRow(csv, table.header);
    for (const std::vector<std::string>& row : table.rows)
        appendCsvRow(csv, row);
}

} // namespace

std::string billCsv(const Project& project, const ProjectFigures& figures,
                    std::string_view decimalSeparator) {
    std::string csv(kCsvStart);
    appendTable(csv, billTable(figures, decimalSeparator));
    if (!project.lines.empty()) {
        csv += "\r\n";
        appendTable(csv, lineTable(project, figures, decimalSeparator));
    }
    return csv;
}

} // namespace pa::project
