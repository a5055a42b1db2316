#include "app/EventLoopProbe.h"

#include <QDateTime>
#include <algorithm>
#include <cstdio>

namespace pelmora {
namespace {

constexpr int kPeriodMs = 10;
constexpr qint64 kPeriodNs = kPeriodMs * 1'000'000LL;
// An hour of ticks is kept; a longer run keeps its first hour.
constexpr std::size_t kMaxSamples = 3600 * 1000 / kPeriodMs;
constexpr std::size_t kMaxListed = 4096;

double wallSeconds() {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

}  // namespace

std::unique_ptr<EventLoopProbe> EventLoopProbe::fromEnvironment(
    std::function<int()> listedCameras) {
    const QString file = qEnvironmentVariable(kVariable);
    if (file.isEmpty()) {
        return nullptr;
    }
    return std::make_unique<EventLoopProbe>(file, std::move(listedCameras));
}

EventLoopProbe::EventLoopProbe(QString file, std::function<int()> listedCameras)
    : file_(std::move(file)), listedCameras_(std::move(listedCameras)) {
    // Allocated and touched once, so that the probe itself does not show as memory growth.
    lateness_.resize(kMaxSamples);
    listed_.resize(kMaxListed);
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kPeriodMs);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
    clock_.start();
    lastTickNs_ = clock_.nsecsElapsed();
    timer_.start();
}

EventLoopProbe::~EventLoopProbe() {
    write();
}

void EventLoopProbe::tick() {
    const qint64 now = clock_.nsecsElapsed();
    const double late = static_cast<double>(std::max<qint64>(0, now - lastTickNs_ - kPeriodNs));
    lastTickNs_ = now;
    if (latenessCount_ < lateness_.size()) {
        lateness_[latenessCount_++] = {wallSeconds(), static_cast<float>(late / 1e6)};
    }
    if (now - lastListedNs_ >= 1'000'000'000LL && listedCameras_) {
        lastListedNs_ = now;
        const int listed = listedCameras_();
        if (listed != lastListed_ && listedCount_ < listed_.size()) {
            lastListed_ = listed;
            listed_[listedCount_++] = {wallSeconds(), static_cast<float>(listed)};
        }
    }
}

void EventLoopProbe::write() const {
    std::FILE* out = std::fopen(file_.toLocal8Bit().constData(), "w");
    if (out == nullptr) {
        std::perror(file_.toLocal8Bit().constData());
        return;
    }
    std::vector<float> sorted;
    sorted.reserve(latenessCount_);
    for (std::size_t i = 0; i < latenessCount_; ++i) {
        sorted.push_back(lateness_[i].value);
    }
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&sorted](double fraction) {
        return sorted.empty() ? 0.0
                              : static_cast<double>(sorted[static_cast<std::size_t>(
                                    fraction * static_cast<double>(sorted.size() - 1))]);
    };
    std::fprintf(out, "lateness_ms p50 %.2f p99 %.2f max %.2f samples %zu\n", at(0.5), at(0.99),
                 at(1.0), sorted.size());
    for (std::size_t i = 0; i < latenessCount_; ++i) {
        std::fprintf(out, "late %.3f %.3f\n", lateness_[i].wallSeconds,
                     static_cast<double>(lateness_[i].value));
    }
    for (std::size_t i = 0; i < listedCount_; ++i) {
        std::fprintf(out, "listed %.3f %d\n", listed_[i].wallSeconds,
                     static_cast<int>(listed_[i].value));
    }
    std::fclose(out);
}

}  // namespace pelmora
