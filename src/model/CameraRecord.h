#pragma once
// One camera as last reported. Fixed-width fields; text is NUL-terminated 8-bit text. A record
// whose `mac` is empty is free and all zero.

#include <cstdint>

#include "protocol/Ipv4.h"

namespace pelmora {

inline constexpr int kBandSlots = 30;

// The C library's broken-down time layout, as nine 32-bit integers.
struct CameraClock {
    std::int32_t second;
    std::int32_t minute;
    std::int32_t hour;
    std::int32_t dayOfMonth;      // 1 to 31
    std::int32_t month;           // 0 to 11
    std::int32_t yearsSince1900;  // 100 or more once a time has been received
    std::int32_t weekday;
    std::int32_t dayOfYear;
    std::int32_t daylightSaving;
};

struct CameraRecord {
    char model[32];
    char serial[12];
    char softVersion[16];
    char mac[18];
    Ipv4 ipAddress;
    Ipv4 pppoeIpAddress;
    std::int32_t dhcp;
    Ipv4 subnetMask;
    Ipv4 gateway;
    std::int32_t dnsAuto;
    Ipv4 dns1;
    Ipv4 dns2;
    Ipv4 dns3;
    Ipv4 dns4;
    std::int32_t webPort;
    char bandElements[kBandSlots][12];
    char currentBand[12];
    CameraClock clock;
    char timeZone[4];
    char dateTimeFormat[4];
    char dateTimeMark[4];  // written only by the Date time page
    std::int32_t pppoeReported;
    std::int32_t pppoeOn;
    std::int32_t pppoeDnsAuto;
    Ipv4 pppoeDns1;
    Ipv4 pppoeDns2;
    std::int32_t age;

    bool isFree() const { return mac[0] == '\0'; }
    bool hasClock() const { return clock.yearsSince1900 >= 100; }
};

}  // namespace pelmora
