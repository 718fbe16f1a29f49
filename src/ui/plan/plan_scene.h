#pragma once

#include "plan/acoustics.h"
#include "plan/plan.h"
#include "plan/room_setup.h"
#include "plan/sti.h"

#include <QLocale>
#include <QPointF>
#include <QString>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pa {

// The maps the plan draws: the direct sound, direct and reverberant summed, and the speech
// transmission index they give.
enum class MapKind { Direct, Total, Sti };

// What the plan shows: one layout with its level map and figures, and how it is shown.
struct PlanScene {
    plan::PlanInputs inputs;
    std::vector<plan::Speaker> speakers;
    plan::Grid grid;           // the map's grid; levels empty when there is no map
    std::vector<float> levels; // row * grid.columns + column
    // A room for sleep: the direct levels at the sleeper's head on the same grid.
    std::vector<float> headLevels;
    plan::Figures figures;
    MapKind map = MapKind::Direct;   // the map chosen
    MapKind shown = MapKind::Direct; // the map levels hold: the direct one where the other fails
    // The room the total and STI maps come from; none leaves the direct map.
    std::optional<plan::RoomAcoustics> room;
    plan::RoomSetup setup;   // the room's as set, for the noise and the room checks
    plan::StiFigures sti;    // of a shown STI map
    std::string mapError;    // why the chosen map could not be made
    int selected = -1;       // highlighted loudspeaker, -1 for none
    bool stale = false;      // drawn greyed
    bool worstFlash = false; // the worst point drawn larger, for a moment
    // Every number of the plan, in the picture and in the texts beside it, uses this separator.
    QString decimalSeparator = QLocale().decimalPoint();
};

// A scene for a layout: computes the level map and the figures, checked against the room given.
PlanScene makeScene(const plan::PlanInputs& in, std::vector<plan::Speaker> speakers,
                    const plan::RoomChecks& checks = {});

// What the scene's room tells its checks.
plan::RoomChecks checksOf(const PlanScene& scene);

// Turns the direct sound's levels and figures the scene holds into its chosen map's: the total
// map takes figures of its own, the STI map adds its own to the direct sound's.
void deriveMap(PlanScene& scene);

// The figures of the map shown as the table and the sheet show them: the index's first where
// it is shown, its worst point the one marked.
std::vector<plan::FigureRow> sceneRows(const PlanScene& scene);

// How the shown map's legend reads.
struct MapLegend {
    QString title;
    std::optional<std::pair<double, double>> range; // fixed, or whole decibels around the map
    double contour = 0;                             // the line across the map and the colour bar
    QString contourKey;                             // its entry in the key
    bool banded = false;                            // coloured by the STI qualification bands
};
MapLegend legendOf(const PlanScene& scene);

// Where the room's corner (0,0) and 1 m land on the device: x to the right, the room's y upward.
struct PlanMapping {
    QPointF origin;
    double pixelsPerMetre = 1;
    QPointF toScreen(double x, double y) const;
    QPointF toRoom(QPointF p) const;
};

// The loudspeaker drawn nearest to a device point within reach (device units), or -1.
int speakerAt(const PlanScene& scene, const PlanMapping& mapping, QPointF point, double reach);

} // namespace pa
