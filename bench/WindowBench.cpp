// The window with 1,024 simulated cameras on loopback: how long after it starts the first and
// the 1,024th camera show in the list, and what the window costs in processor time while all of
// them answer every enquiry, and its resident memory then.
//
//   window_bench PELMORA_SIM [ROUNDS]
#include <arpa/inet.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "SimProcess.h"
#include "app/MainDialog.h"
#include "model/CalendarTime.h"
#include "pages/SettingsPage.h"
#include "widgets/CameraListModel.h"
#include "widgets/CameraListView.h"

namespace {

using namespace pelmora;
using bench::SimProcess;

constexpr int kCameras = 1024;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The cameras the shown page lists: its rows up to the first that shows no MAC.
int listedRows(const MainDialog& dialog) {
    const CameraListModel& model = *dialog.currentPage()->list()->cameraModel();
    int rows = 0;
    while (rows < model.rowCount() &&
           !model.data(model.index(rows, 0), Qt::DisplayRole).toString().isEmpty()) {
        ++rows;
    }
    return rows;
}

// Waits, handling events, until `rows` cameras are in the list; milliseconds since `clock`.
double untilListed(const MainDialog& dialog, int rows, const QElapsedTimer& clock) {
    while (listedRows(dialog) < rows) {
        if (clock.elapsed() > 20000) {
            std::fprintf(stderr, "only %d of %d cameras listed after 20 s\n", listedRows(dialog),
                         rows);
            std::exit(1);
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return clock.nsecsElapsed() / 1e6;
}

// The resident set size now, in megabytes (VmRSS of /proc/self/status); 0 when unreadable.
double residentMegabytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return 0;
    }
    char line[256];
    long kilobytes = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmRSS: %ld kB", &kilobytes) == 1) {
            break;
        }
    }
    std::fclose(status);
    return kilobytes / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PELMORA_SIM [ROUNDS]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    pinLocalTimeZone();
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::vector<double> first;
    std::vector<double> all;
    for (int round = 0; round < rounds; ++round) {
        SimProcess sim(argv[1], {"--bind", "127.0.0.1", "--port", "0", "--cameras",
                                 std::to_string(kCameras), "--burst"});
        SendTarget target;
        target.address.s_addr = htonl(INADDR_LOOPBACK);
        target.port = sim.port;
        MainDialog dialog(MainDialogOptions{target, nullptr, {}, STDOUT_FILENO, {}, {}});
        QElapsedTimer clock;
        clock.start();
        if (dialog.start()) {
            return 1;
        }
        dialog.show();
        first.push_back(untilListed(dialog, 1, clock));
        all.push_back(untilListed(dialog, kCameras, clock));
        if (round + 1 < rounds) {
            continue;
        }
        // The last round goes on for 30 s: every camera answers every enquiry.
        const double cpuBefore = cpuSeconds();
        QTest::qWait(30000);
        const double cpu = cpuSeconds() - cpuBefore;
        std::printf("window CPU over 30 s with %d cameras answering every 5 s: %.2f s (%.1f %%)\n",
                    kCameras, cpu, cpu / 30 * 100);
        std::printf("window RSS with %d cameras listed: %.1f MB\n", kCameras, residentMegabytes());
    }
    const auto report = [](const char* what, std::vector<double> values) {
        std::sort(values.begin(), values.end());
        std::printf("%s: min %.1f ms, median %.1f ms, max %.1f ms\n", what, values.front(),
                    values[values.size() / 2], values.back());
    };
    report("start to first camera in the grid", first);
    report("start to 1,024th camera in the grid", all);
    return 0;
}
