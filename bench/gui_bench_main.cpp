// The benchmarks of the running window; after the tables each goal's figure is set beside its
// baseline.
#include "goal_reporter.h"
#include "gui_world.h"

#include <QApplication>

namespace {

using zel::bench::Goal;

constexpr Goal kGoals[] = {
    {"P1-GUI", "P1-GUI/tick", nullptr, false, 1.0},
    {"P1-GUI firing", "P1-GUI/tick_firing", nullptr, false, 1.0},
    {"P4", "P4/listing_all", nullptr, false, 50.0},
    {"P8", "P8/add_reminder", "P8/write_file_fsync", false, 1.5},
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int status = zel::bench::runWithGoals(argc, argv, kGoals);
    zel::bench::endGuiWorld();
    return status;
}
