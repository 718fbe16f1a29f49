#include "ui/plan/plan_document.h"
#include "ui/qt_text.h"

#include "ui/plan_port.h"

namespace pa {

QString methodCaption(plan::Method method, plan::Wall wall) {
    QString name = qs(plan::methodName(method));
    if (method == plan::Method::OneWall)
        name += wall == plan::Wall::Far ? QStringLiteral(": дальняя (Y = W)")
                                        : QStringLiteral(": ближняя (Y = 0)");
    return name;
}

PlanDocument roomDocument(const RoomSheet& sheet) {
    PlanDocument document{sheet.entries,    makeScene(sheet.inputs, sheet.speakers),
                          sheet.date,       methodCaption(sheet.method, sheet.wall),
                          sheet.handEdited, sheet.room};
    document.scene.decimalSeparator = sheet.decimalSeparator;
    return document;
}

} // namespace pa
