#include "plan/level_model.h"
#include "plan/plan.h"

#include <cmath>

namespace pa::plan {

std::vector<float> levelMap(const PlanInputs& in, const std::vector<Speaker>& speakers,
                            const Grid& grid) {
    if (speakers.empty() || speakers.size() > kMaxDrawnSpeakers || grid.columns < 1 ||
        grid.rows < 1)
        return {};
    std::vector<float> out;
    out.reserve(static_cast<std::size_t>(grid.columns) * static_cast<std::size_t>(grid.rows));
    for (int row = 0; row < grid.rows; ++row)
        for (int column = 0; column < grid.columns; ++column)
            out.push_back(static_cast<float>(levelAt(in, speakers, grid.x(column), grid.y(row))));
    return out;
}

} // namespace pa::plan
