#pragma once

#include "plan/plan.h"
#include "plan/room_setup.h"
#include "report/report_format.h"

#include <QDate>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QWidget;

namespace pa {

class Dialogs;
class Progress;

// How the loudspeakers of a room are placed: by a method, and where the user moved them by hand.
struct PlanLayout {
    plan::Method method = plan::Method::ByCount;
    plan::Wall oneWall = plan::Wall::Near; // where OneWall hangs them
    // The positions as the user left them; none while the method places them.
    std::optional<std::vector<plan::Speaker>> positions;
    // The room around the plan: height, finishes, noise; none leaves the plan's as it is.
    std::optional<plan::RoomSetup> acoustics;

    friend bool operator==(const PlanLayout&, const PlanLayout&) = default;
};

// What the main window asks of the room plan window. The plan's code, with Qt Print Support and
// Qt SVG behind it, is loaded only when the plan is first opened, so the main window knows it
// through this alone.
class PlanPort {
public:
    virtual ~PlanPort() = default;
    // A calculation succeeded; the entries are the calculation as the report words it.
    virtual void showCalculation(const plan::PlanInputs& in, QList<ReportEntry> entries) = 0;
    // A calculation of a room that brings its own layout: shown as the room keeps it, without
    // asking about the positions shown before (they stay one undo step away).
    virtual void showRoom(const plan::PlanInputs& in, QList<ReportEntry> entries,
                          const PlanLayout& layout) = 0;
    // The layout the plan shows for its last calculation; nothing before one.
    virtual std::optional<PlanLayout> layout() const = 0;
    // The room's acoustics as the plan holds them, with or without a calculation to draw.
    virtual plan::RoomSetup acoustics() const = 0;
    virtual void setAcoustics(const plan::RoomSetup& setup) = 0;
    // The main window emptied its results (no reason), or calculated inputs the plan cannot draw
    // (the reason says which and why).
    virtual void markStale(const QString& reason) = 0;
    // Shows the window, raised and active.
    virtual void showWindow() = 0;
};

// A plan window built for the main window, or why none could be built.
struct PlanOpening {
    std::unique_ptr<PlanPort> port;
    QString failure;
};

// Builds the plan window on first use; decimalSeparator gives the separator the main window
// writes numbers with, parent is the main window.
using PlanFactory = std::function<PlanOpening(
    Dialogs& dialogs, std::function<std::string()> decimalSeparator, QWidget* parent)>;

// The one function the plan module exports, by this name; the caller owns what it returns.
using PlanModuleEntry = PlanPort* (*)(Dialogs& dialogs,
                                      std::function<std::string()> decimalSeparator,
                                      QWidget* parent);
inline constexpr char kPlanModuleEntry[] = "pa_open_plan_window";

// One room's plan sheet in a document of many rooms: what the plan window's export shows for
// the room's layout.
struct RoomSheet {
    QString room; // the room's name, which the sheet's title carries
    QList<ReportEntry> entries;
    plan::PlanInputs inputs;
    std::vector<plan::Speaker> speakers;
    plan::Method method = plan::Method::ByCount;
    plan::Wall wall = plan::Wall::Near; // where a one-wall layout hangs them
    bool handEdited = false;
    QDate date;
    QString decimalSeparator;
};

// Paints a room's sheet from the current page of a paged device on, as the plan's PDF export
// does, continuing on further pages as it needs; reports to the progress, when there is one,
// from 0 to 1. False when the progress was cancelled.
using SheetPainter = bool (*)(QPainter& painter, QPagedPaintDevice& device, const RoomSheet& sheet,
                              Progress* progress);
// The plan module exports its sheet painter by this name.
inline constexpr char kSheetPainterEntry[] = "pa_paint_room_sheet";

// The plan module's sheet painter, or why the module could not give one.
struct SheetOpening {
    SheetPainter paint = nullptr;
    QString failure;
};
// Loads the plan module on first use, as PlanFactory does.
using SheetSource = std::function<SheetOpening()>;

} // namespace pa
