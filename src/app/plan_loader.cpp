#include "app/plan_loader.h"

#include <QFileInfo>
#include <QLibrary>

#include <algorithm>
#include <utility>

namespace pa {

PlanFactory planModuleFactory(QStringList places) {
    return [places = std::move(places)](Dialogs& dialogs,
                                        std::function<std::string()> decimalSeparator,
                                        QWidget* parent) -> PlanOpening {
        const auto found = std::find_if(places.begin(), places.end(), [](const QString& place) {
            return QFileInfo::exists(place);
        });
        QLibrary module(found != places.end() ? *found : places.value(places.size() - 1));
        if (!module.load())
            return {nullptr, module.errorString()};
        // QLibrary hands out untyped function pointers; the module checks the entry's type.
        auto entry = reinterpret_cast<PlanModuleEntry>(module.resolve(kPlanModuleEntry));
        // A library that loads but lacks the entry leaves QLibrary without a reason to give.
        if (entry == nullptr)
            return {nullptr, QStringLiteral("в %1 нет функции %2")
                                 .arg(module.fileName(), QLatin1String(kPlanModuleEntry))};
        return {std::unique_ptr<PlanPort>(entry(dialogs, std::move(decimalSeparator), parent)),
                QString()};
    };
}

} // namespace pa
