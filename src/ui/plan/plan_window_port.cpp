#include "ui/plan/plan_window_port.h"

#include "ui/plan/plan_window.h"

#include <utility>

namespace pa {

PlanWindowPort::PlanWindowPort(PlanDialogs& dialogs, std::function<std::string()> decimalSeparator,
                               QWidget* parent)
    : window_(new PlanWindow(dialogs, std::move(decimalSeparator), parent)) {}

PlanWindowPort::~PlanWindowPort() {
    delete window_.data();
}

std::unique_ptr<PlanWindowPort>
PlanWindowPort::withPrintDialog(Dialogs& boxes, std::function<std::string()> decimalSeparator,
                                QWidget* parent) {
    auto dialogs = std::make_unique<PrintingDialogs>(boxes);
    auto port = std::make_unique<PlanWindowPort>(*dialogs, std::move(decimalSeparator), parent);
    port->ownDialogs_ = std::move(dialogs);
    return port;
}

void PlanWindowPort::showCalculation(const plan::PlanInputs& in, QList<ReportEntry> entries) {
    window_->showCalculation(in, std::move(entries));
}

void PlanWindowPort::showRoom(const plan::PlanInputs& in, QList<ReportEntry> entries,
                              const PlanLayout& layout) {
    window_->showCalculation(in, std::move(entries), layout);
}

std::optional<PlanLayout> PlanWindowPort::layout() const {
    return window_->layout();
}

plan::RoomSetup PlanWindowPort::acoustics() const {
    return window_->acoustics();
}

void PlanWindowPort::setAcoustics(const plan::RoomSetup& setup) {
    window_->setAcoustics(setup);
}

void PlanWindowPort::markStale(const QString& reason) {
    window_->markStale(reason);
}

void PlanWindowPort::showWindow() {
    window_->show();
    window_->raise();
    window_->activateWindow();
}

} // namespace pa
