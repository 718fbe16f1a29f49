#pragma once

#include "project/project.h"
#include "project/project_figures.h"

#include <string>
#include <string_view>

namespace pa::project {

// The bill of materials as spreadsheet text (core/csv.h): its header, a row a model and the
// totals; then, after an empty row, the lines with their cable and amplifier when the project
// has any. Numbers use the given decimal separator.
std::string billCsv(const Project& project, const ProjectFigures& figures,
                    std::string_view decimalSeparator);

} // namespace pa::project
