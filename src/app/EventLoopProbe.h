#pragma once
// How late the window's event loop runs, for soak runs. Switched on by the environment variable
// PELMORA_EVENT_LOOP_PROBE naming a file: a 10 ms timer then notes how late each of its ticks
// comes, and once a second the number of cameras listed; on exit the file gets the lateness
// figures (p50, p99, max) and every sample with its wall-clock time, so that a run can pick out
// the part it cares about.

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace pelmora {

class EventLoopProbe final : public QObject {
  public:
    static constexpr const char* kVariable = "PELMORA_EVENT_LOOP_PROBE";

    // Null unless the variable names a file. `listedCameras` is asked once a second.
    static std::unique_ptr<EventLoopProbe> fromEnvironment(std::function<int()> listedCameras);

    EventLoopProbe(QString file, std::function<int()> listedCameras);
    // Writes the figures.
    ~EventLoopProbe() override;

  private:
    struct Sample {
        double wallSeconds;
        float value;  // lateness in ms, or cameras listed
    };

    void tick();
    void write() const;

    QString file_;
    std::function<int()> listedCameras_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastTickNs_ = 0;
    qint64 lastListedNs_ = 0;
    int lastListed_ = -1;
    std::vector<Sample> lateness_;
    std::size_t latenessCount_ = 0;
    std::vector<Sample> listed_;
    std::size_t listedCount_ = 0;
};

}  // namespace pelmora
