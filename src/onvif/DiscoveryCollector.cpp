#include "onvif/DiscoveryCollector.h"

#include <algorithm>

#include "onvif/DiscoveryScopes.h"

namespace pelmora::onvif {
namespace {

constexpr std::string_view kUuidUrn = "urn:uuid:";

std::string keyOf(std::string_view endpoint) {
    std::string key(endpoint);
    std::string lowered = key;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lowered.starts_with(kUuidUrn) ? lowered : key;
}

// Appends what `extra` has and `into` lacks, up to `cap` items; whether anything was added.
template <typename T>
bool merge(std::vector<T>& into, const std::vector<T>& extra, std::size_t cap) {
    bool added = false;
    for (const auto& item : extra) {
        if (into.size() < cap && std::find(into.begin(), into.end(), item) == into.end()) {
            into.push_back(item);
            added = true;
        }
    }
    return added;
}

}  // namespace

std::string DiscoveryCollector::endpointKey(const DiscoveryMatch& match) {
    if (!match.endpoint.empty()) {
        return keyOf(match.endpoint);
    }
    return match.xaddrs.empty() ? std::string{} : match.xaddrs.front();
}

DiscoveryCollector::Change DiscoveryCollector::add(const DiscoveryMatch& match) {
    if (!isOnvifCamera(match.types)) {
        return Change::None;
    }
    const auto key = endpointKey(match);
    if (key.empty()) {
        return Change::None;
    }
    const auto found = index_.find(key);
    if (found == index_.end()) {
        if (devices_.size() >= kMaxDiscoveredDevices) {
            return Change::None;
        }
        index_.emplace(key, devices_.size());
        devices_.push_back(match);
        return Change::Added;
    }
    auto& known = devices_[found->second];
    if (match.metadataVersion &&
        (!known.metadataVersion || *match.metadataVersion > *known.metadataVersion)) {
        known = match;
        return Change::Updated;
    }
    bool changed = merge(known.xaddrs, match.xaddrs, kMaxXAddrs);
    changed = merge(known.scopes, match.scopes, kMaxScopes) || changed;
    changed = merge(known.types, match.types, kMaxTypes) || changed;
    return changed ? Change::Updated : Change::None;
}

DiscoveryCollector::Change DiscoveryCollector::remove(std::string_view endpoint) {
    const auto found = index_.find(keyOf(endpoint));
    if (found == index_.end()) {
        return Change::None;
    }
    devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(found->second));
    reindex();
    return Change::Removed;
}

std::size_t DiscoveryCollector::take(const DiscoveryMessage& message) {
    std::size_t changed = 0;
    for (const auto& match : message.matches) {
        Change change = Change::None;
        if (message.kind == DiscoveryKind::Bye) {
            change = remove(match.endpoint);
        } else if (message.kind != DiscoveryKind::Other) {
            change = add(match);
        }
        changed += change != Change::None ? 1 : 0;
    }
    return changed;
}

void DiscoveryCollector::reindex() {
    index_.clear();
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        index_.emplace(endpointKey(devices_[i]), i);
    }
}

}  // namespace pelmora::onvif
