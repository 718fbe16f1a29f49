#pragma once

#include "project/project.h"
#include "project/project_figures.h"

#include <QObject>

#include <cstddef>
#include <functional>
#include <string>
#include <thread>

namespace pa {

// The figures of a project for a window: at once where that takes less than a frame, else the
// quick ones at once and the level maps on a thread of their own, the window told how far they
// have come and handed the whole figures on its own thread when they are done. A new start drops
// the job before it, whose result never arrives.
class FiguresJob final : public QObject {
public:
    using Arrived = std::function<void(const project::ProjectFigures& figures)>;
    using Progressed = std::function<void(std::size_t done, std::size_t total)>;

    // Level maps costing less than this (loudspeakers times grid points) are computed at once.
    static constexpr double kWorkAtOnce = 4e6;

    FiguresJob(project::FiguresCache& cache, Arrived arrived, Progressed progressed,
               QObject* parent = nullptr);
    ~FiguresJob() override;
    FiguresJob(const FiguresJob&) = delete;
    FiguresJob& operator=(const FiguresJob&) = delete;

    // The figures to show now: whole, or quick with the rooms still to map listed in pending,
    // their whole figures to arrive later.
    project::ProjectFigures start(const project::Project& project, const std::string& separator);

private:
    void stop();

    project::FiguresCache& cache_;
    Arrived arrived_;
    Progressed progressed_;
    std::jthread thread_;
    unsigned generation_ = 0;
};

} // namespace pa
