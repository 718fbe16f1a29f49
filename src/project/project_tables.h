#pragma once

#include "project/project.h"
#include "project/project_figures.h"

#include <string>
#include <string_view>
#include <vector>

// The project's figures as tables of text, the same for the printed document and the
// spreadsheet. Numbers use the given decimal separator.
namespace pa::project {

struct TextTable {
    std::vector<std::string> header;
    std::vector<bool> numeric; // by column: numbers, set flush right on a page
    std::vector<std::vector<std::string>> rows;
};

// One row a room: its name, floor, size, model, count, minimum level, share at the target
// level, the plan's checks and its line.
TextTable roomTable(const Project& project, const ProjectFigures& figures,
                    std::string_view decimalSeparator);

// The bill of materials: model, type, power, sensitivity, count and power as used; a last row
// sums the counts and the power.
TextTable billTable(const ProjectFigures& figures, std::string_view decimalSeparator);

// One row a line: its load, impedance, cable, loss and its verdict, the smallest cross-section
// that would do, and the amplifier.
TextTable lineTable(const Project& project, const ProjectFigures& figures,
                    std::string_view decimalSeparator);

} // namespace pa::project
