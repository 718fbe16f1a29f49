#include "app/plan_loader.h"

#include <QFileInfo>
#include <QLibrary>

#include <algorithm>
#include <utility>

namespace pa {

namespace {

// A function the module exports, or why there is none.
struct Resolved {
    QFunctionPointer entry = nullptr;
    QString failure;
};

Resolved resolve(const QStringList& places, const char* name) {
    const auto found = std::find_if(places.begin(), places.end(),
                                    [](const QString& place) { return QFileInfo::exists(place); });
    QLibrary module(found != places.end() ? *found : places.value(places.size() - 1));
    if (!module.load())
        return {nullptr, module.errorString()};
    const QFunctionPointer entry = module.resolve(name);
    // A library that loads but lacks the entry leaves QLibrary without a reason to give.
    if (entry == nullptr)
        return {nullptr,
                QStringLiteral("в %1 нет функции %2").arg(module.fileName(), QLatin1String(name))};
    return {entry, QString()};
}

} // namespace

PlanFactory planModuleFactory(QStringList places) {
    return [places = std::move(places)](Dialogs& dialogs,
                                        std::function<std::string()> decimalSeparator,
                                        QWidget* parent) -> PlanOpening {
        const Resolved resolved = resolve(places, kPlanModuleEntry);
        if (resolved.entry == nullptr)
            return {nullptr, resolved.failure};
        // QLibrary hands out untyped function pointers; the module checks the entry's type.
        auto entry = reinterpret_cast<PlanModuleEntry>(resolved.entry);
        return {std::unique_ptr<PlanPort>(entry(dialogs, std::move(decimalSeparator), parent)),
                QString()};
    };
}

SheetSource planSheetSource(QStringList places) {
    return [places = std::move(places)]() -> SheetOpening {
        const Resolved resolved = resolve(places, kSheetPainterEntry);
        // As above, the module checks the type.
        return {reinterpret_cast<SheetPainter>(resolved.entry), resolved.failure};
    };
}

} // namespace pa
