#pragma once

#include "plan/plan.h"

#include <cstddef>
#include <vector>

namespace pa::plan {

// A level map kept as energies in double precision (relative to the common on-axis level at
// 1 m), so that moving, adding or removing one loudspeaker costs that loudspeaker's share of
// the points rather than the whole layout: what a drag step can afford. Its levels agree with
// levelMap to 0.01 dB after any number of changes; the double sums keep what a loudspeaker
// leaves behind far below that, even where it stood right over a point and went far away.
class EnergyMap {
public:
    EnergyMap() = default;
    // The whole map of a layout on figureGrid, or on the grid given, on all cores.
    EnergyMap(const PlanInputs& in, std::vector<Speaker> speakers);
    EnergyMap(const PlanInputs& in, std::vector<Speaker> speakers, const Grid& grid);

    // Changes of one loudspeaker, numbered as in speakers(); removing one moves those after it
    // up by one, as the layout does. An index out of range throws std::out_of_range and changes
    // nothing.
    void move(std::size_t index, const Speaker& to);
    void add(const Speaker& speaker);
    void remove(std::size_t index);

    const PlanInputs& inputs() const { return in_; }
    const Grid& grid() const { return grid_; }
    const std::vector<Speaker>& speakers() const { return speakers_; }

    // Levels in dB, row by row (index row * columns + column) as levelMap hands them back, and
    // empty wherever levelMap's would be.
    std::vector<float> levels() const;

private:
    void build();
    // Adds (weight 1) or takes away (weight -1) one loudspeaker's energy at every point.
    void apply(const Speaker& speaker, double weight);

    PlanInputs in_;
    Grid grid_;
    std::vector<Speaker> speakers_;
    bool mappable_ = false;
    std::vector<double> xs_;     // the grid's points along x
    std::vector<double> energy_; // empty while there are more loudspeakers than a map takes
};

} // namespace pa::plan
