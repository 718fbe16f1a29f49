#pragma once

#include "ui/plan/plan_dialogs.h"
#include "ui/plan_port.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <string>

namespace pa {

class PlanWindow;

// The plan window as the main window sees it. The window is the main window's child, so that it
// stays above it; the port deletes it, before the boxes it was given.
class PlanWindowPort final : public PlanPort {
public:
    PlanWindowPort(PlanDialogs& dialogs, std::function<std::string()> decimalSeparator,
                   QWidget* parent);
    ~PlanWindowPort() override;
    PlanWindowPort(const PlanWindowPort&) = delete;
    PlanWindowPort& operator=(const PlanWindowPort&) = delete;
    PlanWindowPort(PlanWindowPort&&) = delete;
    PlanWindowPort& operator=(PlanWindowPort&&) = delete;

    // The program's plan window: its own boxes, with Qt's print dialog beside them.
    static std::unique_ptr<PlanWindowPort>
    withPrintDialog(Dialogs& boxes, std::function<std::string()> decimalSeparator, QWidget* parent);

    void showCalculation(const plan::PlanInputs& in, QList<ReportEntry> entries) override;
    void showRoom(const plan::PlanInputs& in, QList<ReportEntry> entries,
                  const PlanLayout& layout) override;
    std::optional<PlanLayout> layout() const override;
    plan::RoomSetup acoustics() const override;
    void setAcoustics(const plan::RoomSetup& setup) override;
    void markStale(const QString& reason) override;
    void showWindow() override;

private:
    std::unique_ptr<PlanDialogs> ownDialogs_; // outlives the window, which holds a reference
    QPointer<PlanWindow> window_;
};

} // namespace pa
