#include "onvif/OnvifWatch.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "onvif/DiscoveryCollector.h"

namespace pelmora::onvif {
namespace {

// How often discovery stops listening to look at what it heard: new cameras are queued for
// reading within this time of their answer.
constexpr std::chrono::milliseconds kDiscoverySlice{100};
// Likewise for the reader taking in cameras heard while it runs.
constexpr std::chrono::milliseconds kReadingSlice{100};
// Cameras not heard for a while are looked for this often even when nothing new was heard.
constexpr std::chrono::seconds kAgingCheck{1};

std::string keyOf(const OnvifCamera& camera) {
    DiscoveryMatch match;
    match.endpoint = camera.endpoint;
    match.xaddrs = camera.xaddrs;
    return DiscoveryCollector::endpointKey(match);
}

// What discovery says of a camera, without what reading it gave.
OnvifCamera announced(const OnvifCamera& camera) {
    OnvifCamera fresh;
    fresh.endpoint = camera.endpoint;
    fresh.xaddrs = camera.xaddrs;
    fresh.scopes = camera.scopes;
    fresh.answeredFrom = camera.answeredFrom;
    fresh.heardAt = camera.heardAt;
    return fresh;
}

}  // namespace

OnvifWatch::OnvifWatch(OnvifWatchOptions options, std::function<void()> changed,
                       std::function<void(const std::string&)> warn)
    : options_(std::move(options)), changed_(std::move(changed)), warn_(std::move(warn)) {}

OnvifWatch::~OnvifWatch() {
    stop();
}

void OnvifWatch::start() {
    if (discovery_) {
        return;
    }
    discovery_ = std::make_unique<OnvifDiscovery>(options_.discovery, warn_);
    discoveryThread_ = std::thread([this] { discoveryLoop(); });
    readingThread_ = std::thread([this] { readingLoop(); });
}

void OnvifWatch::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        if (reader_ != nullptr) {
            reader_->stop();
        }
    }
    readingWanted_.notify_all();
    if (discovery_) {
        discovery_->stop();
    }
    if (discoveryThread_.joinable()) {
        discoveryThread_.join();
    }
    if (readingThread_.joinable()) {
        readingThread_.join();
    }
}

void OnvifWatch::refresh() {
    {
        std::lock_guard lock(mutex_);
        refreshAsked_ = true;
    }
    if (discovery_) {
        discovery_->wake();
    }
}

void OnvifWatch::setCredentials(std::optional<HttpDigest> credentials) {
    {
        std::lock_guard lock(mutex_);
        credentials_ = std::move(credentials);
        ++credentialsGeneration_;
        // Readings under the old credentials are worth nothing now.
        if (reader_ != nullptr) {
            reader_->stop();
        }
        toRead_.clear();
        queued_.clear();
        for (auto& [key, index] : byKey_) {
            queueReading(key, entries_[index]);
        }
    }
    readingWanted_.notify_all();
}

void OnvifWatch::probeAddresses(std::vector<Ipv4> addresses) {
    {
        std::lock_guard lock(mutex_);
        directedAsked_ = std::move(addresses);
    }
    if (discovery_) {
        discovery_->wake();
    }
}

std::vector<OnvifCamera> OnvifWatch::cameras() const {
    std::lock_guard lock(mutex_);
    std::vector<OnvifCamera> cameras;
    cameras.reserve(entries_.size());
    for (const auto& entry : entries_) {
        cameras.push_back(entry.camera);
    }
    return cameras;
}

void OnvifWatch::discoveryLoop() {
    using Clock = OnvifDiscovery::Clock;
    directed_ = options_.discovery.directed;
    discovery_->start();
    auto nextProbe = Clock::now() + options_.probePeriod;
    auto nextAging = Clock::now();
    std::uint64_t seen = 0;
    while (!stopping_) {
        discovery_->runUntil(std::min(nextProbe, Clock::now() + kDiscoverySlice));
        if (stopping_) {
            break;
        }
        runCommands();
        const auto now = Clock::now();
        if (now >= nextProbe) {
            discovery_->probeAll();
            // Cameras behind a router answer only these: without them again, they would be
            // forgotten as gone.
            if (!directed_.empty()) {
                discovery_->probeAddresses(directed_);
            }
            nextProbe = now + options_.probePeriod;
        }
        if (const auto changes = discovery_->changes(); changes != seen || now >= nextAging) {
            seen = changes;
            nextAging = now + kAgingCheck;
            if (takeDiscovered(discovery_->cameras(), now)) {
                notify();
            }
        }
    }
}

// Commands from other threads, carried out on the discovery thread, which owns the sockets.
void OnvifWatch::runCommands() {
    bool refresh = false;
    std::optional<std::vector<Ipv4>> directed;
    {
        std::lock_guard lock(mutex_);
        std::swap(refresh, refreshAsked_);
        std::swap(directed, directedAsked_);
        if (refresh) {
            for (auto& [key, index] : byKey_) {
                queueReading(key, entries_[index]);
            }
        }
    }
    if (refresh) {
        readingWanted_.notify_all();
        discovery_->probeAll();
    }
    if (directed) {
        // The addresses the watch was started with stay; the list asked for replaces the last.
        directed_ = options_.discovery.directed;
        for (const Ipv4& address : *directed) {
            if (std::find(directed_.begin(), directed_.end(), address) == directed_.end()) {
                directed_.push_back(address);
            }
        }
        discovery_->probeAddresses(directed_);
    }
}

bool OnvifWatch::takeDiscovered(std::vector<OnvifCamera> heard,
                                OnvifDiscovery::Clock::time_point now) {
    bool changed = false;
    bool queued = false;
    {
        std::lock_guard lock(mutex_);
        std::unordered_set<std::string> current;
        for (auto& camera : heard) {
            if (now - camera.heardAt > options_.forgetAfter) {
                continue;
            }
            auto key = keyOf(camera);
            current.insert(key);
            const auto it = byKey_.find(key);
            if (it == byKey_.end()) {
                byKey_.emplace(key, entries_.size());
                entries_.push_back({announced(camera)});
                queueReading(key, entries_.back());
                changed = queued = true;
                continue;
            }
            auto& entry = entries_[it->second];
            entry.camera.heardAt = camera.heardAt;
            // A new address or a changed announcement: what was read may no longer hold.
            if (entry.camera.xaddrs != camera.xaddrs ||
                entry.camera.answeredFrom != camera.answeredFrom) {
                entry.camera.xaddrs = camera.xaddrs;
                entry.camera.answeredFrom = camera.answeredFrom;
                entry.camera.scopes = camera.scopes;
                queueReading(key, entry);
                changed = queued = true;
            }
        }
        const auto before = entries_.size();
        std::erase_if(entries_,
                      [&](const Entry& entry) { return !current.contains(keyOf(entry.camera)); });
        if (entries_.size() != before) {
            reindex();
            changed = true;
        }
    }
    if (queued) {
        readingWanted_.notify_all();
    }
    return changed;
}

// A camera queued again before its turn keeps its one place in the queue: what it announces
// and its generation are taken when the reading starts, so a device that keeps changing its
// announcement cannot fill the queue.
void OnvifWatch::queueReading(const std::string& key, Entry& entry) {
    entry.generation = ++nextGeneration_;
    if (queued_.insert(key).second) {
        toRead_.push_back(key);
    }
}

void OnvifWatch::reindex() {
    byKey_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        byKey_.emplace(keyOf(entries_[i].camera), i);
    }
}

void OnvifWatch::readingLoop() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        readingWanted_.wait(lock, [this] { return stopping_ || !toRead_.empty(); });
        if (!stopping_) {
            readBatch(lock);
        }
    }
}

void OnvifWatch::readBatch(std::unique_lock<std::mutex>& lock) {
    OnvifReaderOptions options;
    options.credentials = credentials_;
    options.maxInFlight = options_.maxInFlight;
    options.limits = options_.limits;
    const auto credentialsGeneration = credentialsGeneration_;
    OnvifReader reader(options);
    std::vector<ReadJob> jobs;
    reader.setFinished([&](std::size_t index) {
        // Called inside reader.add (with the lock held) or inside runUntil (without it).
        const auto& job = jobs[index];
        if (lock.owns_lock()) {
            applyReading(job, reader.cameras()[index]);
        } else {
            std::lock_guard relock(mutex_);
            applyReading(job, reader.cameras()[index]);
        }
    });
    reader_ = &reader;
    while (!stopping_ && credentialsGeneration == credentialsGeneration_) {
        while (!toRead_.empty()) {
            auto key = std::move(toRead_.front());
            toRead_.pop_front();
            queued_.erase(key);
            const auto it = byKey_.find(key);
            if (it == byKey_.end()) {
                continue;  // gone before its turn
            }
            const auto& entry = entries_[it->second];
            jobs.push_back({announced(entry.camera), std::move(key), entry.generation});
            reader.add(jobs.back().camera);
        }
        if (reader.done()) {
            break;
        }
        lock.unlock();
        reader.runUntil(OnvifReader::Clock::now() + kReadingSlice);
        mostInFlight_ = std::max(mostInFlight_.load(), reader.mostInFlight());
        lock.lock();
        if (std::exchange(readingApplied_, false)) {
            lock.unlock();
            notify();
            lock.lock();
        }
    }
    reader_ = nullptr;
    if (std::exchange(readingApplied_, false)) {
        lock.unlock();
        notify();
        lock.lock();
    }
}

void OnvifWatch::applyReading(const ReadJob& job, const OnvifCamera& read) {
    const auto it = byKey_.find(job.key);
    if (it == byKey_.end() || entries_[it->second].generation != job.generation) {
        return;  // gone, or queued again since: a newer reading follows
    }
    auto& camera = entries_[it->second].camera;
    const auto heardAt = camera.heardAt;
    camera = read;
    camera.heardAt = heardAt;
    readingApplied_ = true;
}

void OnvifWatch::notify() {
    if (changed_) {
        changed_();
    }
}

}  // namespace pelmora::onvif
