// The pages' camera list rewrite with a full table: 1,024 listed cameras. The window refreshes the
// MAC-keyed pages every 5 s and the Date time page every second, on the UI thread, so one
// refresh (the rewrite and the repaint it causes) must stay under 10 ms or the window stutters.
//
// Each measured refresh is refreshGrid() followed by one pass of the event loop, which delivers
// the layout and paint requests the rewrite posted. The two halves are also reported on their
// own (update_ms, paint_ms), with the number of paint events the list's cell area received
// (paints, expected 1) and any that arrived only after the timed pass (late_paints, expected 0).
//
// The window's own tick is measured too: its four tabs' timers start together, so every fifth
// second all four lists are rewritten in one pass of the event loop (only the shown one paints).
//
// Nothing here starts the discovery engine or opens a socket: the table is filled from built
// replies and the pages are driven directly.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QTabWidget>
#include <QTableView>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "model/CalendarTime.h"
#include "model/CameraTable.h"
#include "model/FixedText.h"
#include "pages/bandwidth/BandwidthPage.h"
#include "pages/datetime/DateTimePage.h"
#include "pages/network/NetworkPage.h"
#include "pages/pppoe/PppoePage.h"
#include "protocol/DatagramBuilder.h"
#include "widgets/CameraListModel.h"
#include "widgets/CameraListView.h"

namespace pelmora {
namespace {

constexpr int kCameras = kTableSize;
constexpr int kBlankRows = 7;  // the rows shown with no camera
using Clock = std::chrono::steady_clock;

// snprintf rather than string concatenation, which trips a false -Wrestrict in GCC 12.
template <class... Args>
std::string format(const char* pattern, Args... args) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

std::string cameraReply(int n) {
    return DatagramBuilder{}
        .field("MAC:",
               format("02:50:4D:%02X:%02X:%02X", (n >> 16) & 0xFF, (n >> 8) & 0xFF, n & 0xFF))
        .field("MODEL:", "PM-C110")
        .field("SERIAL:", format("S10%05d", n))
        .field("SOFTVERSION:", "2.41")
        .field("DHCP:", "OFF")
        .field("IPADR:", format("10.%d.%d.%d", 20, n / 250, n % 250 + 1))
        .field("MASK:", "255.255.0.0")
        .field("GATEWAY:", "10.20.0.254")
        .field("WEBPORT:", "80")
        .field("BANDELM:", "0.0,0.5,1.0,2.0,4.0")
        .field("CURBAND:", "1.0")
        .field("TIME:", format("2503151234%02d", n % 60))
        .field("TIMEZONE:", "13")
        .field("DTFORMAT:", "2")
        .field("PPPOEFUNC:", "ON")
        .field("PPPOEIPADR:", format("100.64.%d.%d", n / 250, n % 250 + 1))
        .finish();
}

// Counts the paint events that reach the list's cell area, to show the timed pass painted.
class PaintCounter final : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

struct Totals {
    double updateSeconds = 0;
    double paintSeconds = 0;
    int paints = 0;
    int latePaints = 0;
    std::int64_t refreshes = 0;
};

// Runs `work`, then lets the event loop deliver what it posted; returns the seconds taken.
template <class Work>
double timeRefresh(Totals& totals, const PaintCounter& counter, Work&& work) {
    const int before = counter.paints;
    const auto start = Clock::now();
    work();
    const auto rewritten = Clock::now();
    QApplication::processEvents();
    const auto painted = Clock::now();
    totals.paints += counter.paints - before;
    // Anything still queued would have been painted later: counted, not timed.
    const int settled = counter.paints;
    QApplication::processEvents();
    totals.latePaints += counter.paints - settled;

    const double update = std::chrono::duration<double>(rewritten - start).count();
    const double paint = std::chrono::duration<double>(painted - rewritten).count();
    totals.updateSeconds += update;
    totals.paintSeconds += paint;
    ++totals.refreshes;
    return update + paint;
}

void fillTable(CameraTable& table) {
    for (int n = 0; n < kCameras; ++n) {
        table.parseInfoReply(cameraReply(n));
    }
    // The pages' own refresh timers start with setTable. Discovery stays off except around the
    // explicit refreshGrid() calls, so a timer refresh that comes due inside a timed pass
    // returns at once instead of adding to the work measured.
    table.discoveryEnabled = 0;
}

// Each second every camera's clock moves on; the records stay young so they stay listed.
void advanceClocks(CameraTable& table) {
    table.agingTick();
    table.modify([](TableData& d) {
        for (int i = 0; i < d.count; ++i) {
            d.records[i].age = 0;
        }
    });
}

// A header click: alternately ascending and descending by MAC, so every listed cell changes.
void reverseOrder(CameraTable& table) {
    table.sortByColumn(kSortMac);
    table.discoveryEnabled = 0;  // the sort turns it back on
}

template <class Page>
void rewrite(CameraTable& table, Page& page) {
    table.discoveryEnabled = 1;
    page.refreshGrid();
    table.discoveryEnabled = 0;
}

void settle() {
    QApplication::processEvents();
    QApplication::processEvents();
}

// One page on screen over a full table, already filled once, refreshed only by hand.
template <class Page>
class PageRig {
  public:
    PageRig() {
        fillTable(table);
        page.setTable(&table, PageServices{});
        page.resize(1000, 600);
        page.show();
        page.list()->viewport()->installEventFilter(&counter);
        refreshUntimed();
    }

    double refresh(Totals& totals) {
        return timeRefresh(totals, counter, [this] { rewrite(table, page); });
    }

    void refreshUntimed() {
        rewrite(table, page);
        settle();
    }

    // One camera, half-way down the list, shows `model` at the next refresh.
    void setOneModel(const char* model) {
        table.modify([model](TableData& d) { copyField(d.records[d.count / 2].model, model); });
    }

    // Every listed camera shows `model` at the next refresh.
    void setModel(const char* model) {
        table.modify([model](TableData& d) {
            for (int i = 0; i < d.count; ++i) {
                copyField(d.records[i].model, model);
            }
        });
    }

    CameraTable table;
    Page page;
    PaintCounter counter;
};

// The window's four tabs over one table, the Bandwidth tab shown.
class WindowRig {
  public:
    WindowRig() {
        fillTable(table);
        pages = {new NetworkPage(&tabs), new BandwidthPage(&tabs), new DateTimePage(&tabs),
                 new PppoePage(&tabs)};
        const char* titles[] = {"Network", "Bandwidth control", "Date time", "PPPoE"};
        for (std::size_t i = 0; i < pages.size(); ++i) {
            tabs.addTab(pages[i], titles[i]);
            pages[i]->setTable(&table, PageServices{});
        }
        tabs.setCurrentIndex(1);
        tabs.resize(1000, 600);
        tabs.show();
        pages[1]->list()->viewport()->installEventFilter(&counter);
        rewriteAll();
        settle();
    }

    double refresh(Totals& totals) {
        return timeRefresh(totals, counter, [this] { rewriteAll(); });
    }

    CameraTable table;
    QTabWidget tabs;
    std::vector<SettingsPage*> pages;
    PaintCounter counter;

  private:
    void rewriteAll() {
        for (auto* page : pages) {
            rewrite(table, *page);
        }
    }
};

// Whether the timed refreshes must have painted: a rewrite that changed nothing must not.
enum class Paint { Expected, Never, Either };

void report(benchmark::State& state, const Totals& t, Paint paint = Paint::Expected) {
    const auto perRefresh = [&](double value) {
        return benchmark::Counter(t.refreshes > 0 ? value / static_cast<double>(t.refreshes) : 0);
    };
    state.counters["update_ms"] = perRefresh(t.updateSeconds * 1e3);
    state.counters["paint_ms"] = perRefresh(t.paintSeconds * 1e3);
    state.counters["paints"] = perRefresh(t.paints);
    state.counters["late_paints"] = perRefresh(t.latePaints);
    if (paint == Paint::Expected && t.paints < t.refreshes) {
        state.SkipWithError("a timed refresh did not paint the list");
    }
    if (paint == Paint::Never && t.paints + t.latePaints > 0) {
        state.SkipWithError("a refresh that changed nothing repainted the list");
    }
}

// 1. MAC-keyed page, nothing changed since the last refresh: the usual 5-second tick.
void BM_MacPageSteady(benchmark::State& state) {
    PageRig<BandwidthPage> rig;
    Totals totals;
    for (auto _ : state) {
        state.SetIterationTime(rig.refresh(totals));
    }
    report(state, totals, Paint::Never);
}

// 1b. The same with a camera selected, which the rewrite looks up by MAC afterwards.
void BM_MacPageSteadySelected(benchmark::State& state) {
    PageRig<BandwidthPage> rig;
    rig.page.list()->setAnchorRow(kCameras / 2 - 1);
    rig.page.list()->showSelection(true);
    rig.refreshUntimed();
    Totals totals;
    for (auto _ : state) {
        state.SetIterationTime(rig.refresh(totals));
    }
    if (rig.page.selectedMac().isEmpty()) {
        state.SkipWithError("the selection was lost");
    }
    report(state, totals, Paint::Never);
}

// 1c. The PPPoE page, nothing changed and nothing selected: its own listing rule, and the form
// reset that every such refresh runs.
void BM_PppoePageSteady(benchmark::State& state) {
    PageRig<PppoePage> rig;
    Totals totals;
    for (auto _ : state) {
        state.SetIterationTime(rig.refresh(totals));
    }
    report(state, totals, Paint::Never);
}

// 2. MAC-keyed page, every camera's model text changed since the last refresh.
void BM_MacPageAllModelsChanged(benchmark::State& state) {
    PageRig<BandwidthPage> rig;
    Totals totals;
    bool flip = false;
    for (auto _ : state) {
        state.PauseTiming();
        rig.setModel(flip ? "PM-C110" : "PM-C220-X");
        flip = !flip;
        state.ResumeTiming();
        state.SetIterationTime(rig.refresh(totals));
    }
    report(state, totals);
}

// 2a. MAC-keyed page, one camera's model text changed since the last refresh: the cost should
// follow the rows that changed, not the length of the list.
void BM_MacPageOneChanged(benchmark::State& state) {
    PageRig<BandwidthPage> rig;
    Totals totals;
    bool flip = false;
    for (auto _ : state) {
        state.PauseTiming();
        rig.setOneModel(flip ? "PM-C110" : "PM-C220-X");
        flip = !flip;
        state.ResumeTiming();
        state.SetIterationTime(rig.refresh(totals));
    }
    report(state, totals, Paint::Either);
}

// 2a'. The same change without a page: the listed cameras built from the table's live records
// and handed to the model under a plain table view, which signals and repaints the one row.
void BM_ModelOneChanged(benchmark::State& state) {
    CameraTable table;
    fillTable(table);
    CameraListModel model({"MAC address", "IP address", "Model", "Serial No.", "Version No."});
    QTableView view;
    view.setModel(&model);
    view.resize(1000, 600);
    view.show();
    PaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    const auto rewriteModel = [&] {
        std::vector<CameraListRow> listed;
        listed.reserve(kCameras);
        for (const auto& record : table.liveRecords()) {
            if (isListed(record)) {
                listed.push_back({std::string(fieldText(record.mac)),
                                  cameraRowCells(record, AddressColumn::IpAddress),
                                  {},
                                  {}});
            }
        }
        model.setCameras(std::move(listed));
    };
    rewriteModel();
    settle();
    Totals totals;
    bool flip = false;
    for (auto _ : state) {
        state.PauseTiming();
        table.modify([flip](TableData& d) {
            copyField(d.records[d.count / 2].model, flip ? "PM-C110" : "PM-C220-X");
        });
        flip = !flip;
        // The changed camera's row is on screen, so the repaint is part of the cost.
        view.scrollTo(model.index(kCameras / 2, 0));
        settle();
        state.ResumeTiming();
        state.SetIterationTime(timeRefresh(totals, counter, rewriteModel));
    }
    if (model.rowCount() != kCameras) {
        state.SkipWithError("the model does not list every camera");
    }
    report(state, totals);
}

// 2b. MAC-keyed page after a sort reversed the order: every cell of every row changes.
void BM_MacPageOrderReversed(benchmark::State& state) {
    PageRig<BandwidthPage> rig;
    Totals totals;
    for (auto _ : state) {
        state.PauseTiming();
        reverseOrder(rig.table);
        state.ResumeTiming();
        state.SetIterationTime(rig.refresh(totals));
    }
    report(state, totals);
}

// 3. Date time page, steady state: each second every camera's clock moves on by a second.
void BM_DateTimePageSteady(benchmark::State& state) {
    PageRig<DateTimePage> rig;
    Totals totals;
    for (auto _ : state) {
        state.PauseTiming();
        advanceClocks(rig.table);
        state.ResumeTiming();
        state.SetIterationTime(rig.refresh(totals));
    }
    report(state, totals);
}

// 4. MAC-keyed page, first fill: the list holds only its blank rows and 1,024 rows are added.
void BM_MacPageFirstFill(benchmark::State& state) {
    PageRig<BandwidthPage> rig;
    CameraTable empty;
    Totals totals;
    for (auto _ : state) {
        state.PauseTiming();
        rig.page.setTable(&empty, PageServices{});
        rewrite(empty, rig.page);
        settle();
        rig.page.setTable(&rig.table, PageServices{});
        if (rig.page.list()->rowCount() != kBlankRows) {
            state.SkipWithError("the list was not emptied");
            break;
        }
        state.ResumeTiming();
        state.SetIterationTime(rig.refresh(totals));
    }
    if (rig.page.list()->rowCount() != kCameras) {
        state.SkipWithError("the list was not filled");
    }
    report(state, totals);
}

// 5. The whole window's 5-second tick, Bandwidth tab shown: all four lists rewritten after
// the clocks moved on (the usual case) ...
void BM_WindowTickSteady(benchmark::State& state) {
    WindowRig rig;
    Totals totals;
    for (auto _ : state) {
        state.PauseTiming();
        advanceClocks(rig.table);
        state.ResumeTiming();
        state.SetIterationTime(rig.refresh(totals));
    }
    report(state, totals, Paint::Either);
}

// 5b. ... and after a sort reversed the order, so every cell of all four lists changes.
void BM_WindowTickOrderReversed(benchmark::State& state) {
    WindowRig rig;
    Totals totals;
    for (auto _ : state) {
        state.PauseTiming();
        advanceClocks(rig.table);
        reverseOrder(rig.table);
        state.ResumeTiming();
        state.SetIterationTime(rig.refresh(totals));
    }
    report(state, totals);
}

BENCHMARK(BM_MacPageSteady)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_MacPageSteadySelected)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_PppoePageSteady)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_MacPageAllModelsChanged)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_MacPageOneChanged)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_ModelOneChanged)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_MacPageOrderReversed)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_DateTimePageSteady)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_MacPageFirstFill)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_WindowTickSteady)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_WindowTickOrderReversed)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
}  // namespace pelmora

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns on every window shown that it cannot pass on size hints; the
// warning would bury the results.
void quietSizeHintWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("propagateSizeHints"))) {
        return;
    }
    if (previousHandler != nullptr) {
        previousHandler(type, context, text);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Headless unless a display platform was asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    previousHandler = qInstallMessageHandler(quietSizeHintWarnings);
    // As the program does: the clocks' ageing (untimed here) then reads the zone file once.
    pelmora::pinLocalTimeZone();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
