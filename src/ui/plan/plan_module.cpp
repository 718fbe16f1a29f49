// The plan module's entries: the program opens this shared module when the room plan or a room's
// sheet is first needed, so that start-up maps neither the plan's code nor Qt Print Support and
// Qt SVG.
#include "ui/plan/plan_window_port.h"
#include "ui/plan/sheet_writer.h"

#include <QtGlobal>

#include <type_traits>

#include <utility>

// Checked against the type the program calls it through.
extern "C" Q_DECL_EXPORT pa::PlanPort*
pa_open_plan_window(pa::Dialogs& dialogs, std::function<std::string()> decimalSeparator,
                    QWidget* parent) {
    return pa::PlanWindowPort::withPrintDialog(dialogs, std::move(decimalSeparator), parent)
        .release();
}

static_assert(std::is_same_v<decltype(&pa_open_plan_window), pa::PlanModuleEntry>);

extern "C" Q_DECL_EXPORT bool pa_paint_room_sheet(QPainter& painter, QPagedPaintDevice& device,
                                                  const pa::RoomSheet& sheet,
                                                  pa::Progress* progress) {
    return pa::paintRoomSheet(painter, device, sheet, progress);
}

static_assert(std::is_same_v<decltype(&pa_paint_room_sheet), pa::SheetPainter>);
