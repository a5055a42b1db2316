// The window with 256 simulated ONVIF cameras on loopback (reached by a directed probe),
// offscreen: how long after it starts the first ONVIF camera is listed and all are read without
// credentials, then how long after "Read" with a user name and password all are read in full;
// the most requests in flight, how late the window's event loop ran meanwhile (a 10 ms timer's
// lateness: p50, p99, max) and the window's resident memory at the end.
//
//   onvif_window_bench PELMORA_SIM [CAMERAS]
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "SimProcess.h"
#include "app/MainDialog.h"
#include "model/CalendarTime.h"
#include "pages/onvif/OnvifPage.h"

namespace {

using namespace pelmora;

// How many listed cameras have `notes` as their notes.
int withNotes(const OnvifPage& page, const QString& notes) {
    const auto* model = page.model();
    int n = 0;
    for (int row = 0; row < model->rowCount(); ++row) {
        n += model->index(row, kOnvifNotesColumn).data().toString() == notes ? 1 : 0;
    }
    return n;
}

double waitFor(const QElapsedTimer& clock, auto done, const char* what) {
    while (!done()) {
        if (clock.elapsed() > 60000) {
            std::fprintf(stderr, "not within 60 s: %s\n", what);
            std::exit(1);
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return clock.nsecsElapsed() / 1e6;
}

long rssKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

std::uint16_t portAfter(const std::string& line, const std::string& marker) {
    const auto at = line.find(marker);
    const auto colon = at == std::string::npos ? at : line.find(':', at + marker.size());
    return colon == std::string::npos
               ? 0
               : static_cast<std::uint16_t>(std::stoi(line.substr(colon + 1)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: onvif_window_bench PELMORA_SIM [CAMERAS]\n");
        return 2;
    }
    const int cameras = argc > 2 ? std::atoi(argv[2]) : 256;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    pinLocalTimeZone();
    QApplication app(argc, argv);
    bench::SimProcess sim(argv[1], {"--bind", "127.0.0.1", "--port", "0", "--cameras", "0",
                                    "--onvif", std::to_string(cameras), "--onvif-port", "0"});
    const auto discoveryPort = portAfter(sim.readyLine, "WS-Discovery on ");

    MainDialogOptions options;
    SendTarget target;
    target.address.s_addr = htonl(INADDR_LOOPBACK);
    target.port = portAfter(sim.readyLine, "ready on ");
    options.target = target;
    const QTemporaryDir settings;
    options.settingsFile = settings.filePath("pelmora.conf");
    auto& watch = options.onvif.emplace();
    watch.discovery.multicast = false;
    watch.discovery.hearAnnouncements = false;
    watch.discovery.port = discoveryPort;
    watch.discovery.directed = {Ipv4{127, 0, 0, 1}};

    // A 10 ms timer's lateness, from the window's start to the end of the readings.
    std::vector<double> lateness;
    QElapsedTimer tickClock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        lateness.push_back(std::max(0.0, tickClock.nsecsElapsed() / 1e6 - 10.0));
        tickClock.restart();
    });

    QElapsedTimer clock;
    clock.start();
    MainDialog dialog(options);
    if (dialog.start()) {
        return 1;
    }
    dialog.show();
    dialog.tabs()->setCurrentWidget(dialog.onvifPage());
    tickClock.start();
    ticker.start(10);
    const OnvifPage& page = *dialog.onvifPage();
    const double first = waitFor(
        clock, [&] { return page.listedCount() > 0; }, "first listed");
    const double publicRead = waitFor(
        clock, [&] { return withNotes(page, "credentials needed") == cameras; }, "public reading");

    QElapsedTimer readClock;
    readClock.start();
    dialog.onvifPage()->userField()->setText("admin");
    dialog.onvifPage()->passwordField()->setText("password");
    QTest::mouseClick(dialog.onvifPage()->readButton(), Qt::LeftButton);
    const double fullRead = waitFor(
        readClock, [&] { return withNotes(page, "") == cameras; }, "full reading");
    ticker.stop();

    std::sort(lateness.begin(), lateness.end());
    const auto at = [&](double q) {
        return lateness.empty() ? 0.0
                                : lateness[static_cast<std::size_t>(q * (lateness.size() - 1))];
    };
    std::printf("ONVIF cameras: %d\n", cameras);
    std::printf("first listed: %.0f ms after the window started\n", first);
    std::printf("all read without credentials: %.0f ms after the window started\n", publicRead);
    std::printf("all read with credentials: %.0f ms after Read\n", fullRead);
    std::printf("most requests in flight: %zu\n", dialog.onvifWatch()->mostInFlight());
    std::printf("event-loop lateness: p50 %.2f ms, p99 %.2f ms, max %.2f ms (%zu ticks)\n", at(0.5),
                at(0.99), lateness.empty() ? 0.0 : lateness.back(), lateness.size());
    std::printf("window RSS: %.1f MB\n", rssKib() / 1024.0);
    return 0;
}
