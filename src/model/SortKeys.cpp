#include "model/SortKeys.h"

#include <cstring>

#include "model/CameraTable.h"

namespace pelmora {
namespace {

// Text fields are zero-filled past their terminator, so comparing the whole field compares the
// text up to the terminator.
template <std::size_t N>
int compareBytes(const char (&a)[N], const char (&b)[N]) {
    return std::memcmp(a, b, N);
}

int compareAddress(const Ipv4& a, const Ipv4& b) {
    return std::memcmp(a.data(), b.data(), 4);
}

int byMac(const CameraRecord& a, const CameraRecord& b) {
    return compareBytes(a.mac, b.mac);
}
int byIp(const CameraRecord& a, const CameraRecord& b) {
    return compareAddress(a.ipAddress, b.ipAddress);
}
// Model, and for equal models the serial number: one block of 44 bytes.
int byModel(const CameraRecord& a, const CameraRecord& b) {
    const int c = compareBytes(a.model, b.model);
    return c != 0 ? c : compareBytes(a.serial, b.serial);
}
int bySerial(const CameraRecord& a, const CameraRecord& b) {
    return compareBytes(a.serial, b.serial);
}
int byVersion(const CameraRecord& a, const CameraRecord& b) {
    return compareBytes(a.softVersion, b.softVersion);
}
int byPppoeIp(const CameraRecord& a, const CameraRecord& b) {
    return compareAddress(a.pppoeIpAddress, b.pppoeIpAddress);
}

}  // namespace

std::optional<KeyCompare> sortKeyFor(int code) {
    switch (code) {
        case kSortMac:
            return byMac;
        case kSortIpAddress:
            return byIp;
        case kSortModel:
            return byModel;
        case kSortSerial:
            return bySerial;
        case kSortVersion:
            return byVersion;
        case kSortPppoeIpAddress:
            return byPppoeIp;
        default:
            return std::nullopt;
    }
}

}  // namespace pelmora
