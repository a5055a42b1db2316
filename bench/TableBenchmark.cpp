// The camera table's two hot paths: applying an information reply to a full table (receive
// thread, up to 1024 cameras answering each enquiry) and sorting 1024 records (UI thread).
// Targets: at least 100,000 replies a second on one core; a full sort under 20 ms. Beside them,
// the LAN diagnosis the window makes on each rewrite of its list, for 1024 cameras.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "diff/ExpectedCameras.h"
#include "engine/LocalInterfaces.h"
#include "lan/LanDiagnosis.h"
#include "model/CameraTable.h"
#include "protocol/DatagramBuilder.h"

namespace pelmora {
namespace {

std::string macFor(int n) {
    char text[18];
    std::snprintf(text, sizeof text, "02:50:4D:%02X:%02X:%02X", (n >> 16) & 0xFF, (n >> 8) & 0xFF,
                  n & 0xFF);
    return text;
}

// snprintf rather than string concatenation, which trips a false -Wrestrict in GCC 12.
template <class... Args>
std::string format(const char* pattern, Args... args) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

std::string octets(unsigned a, unsigned b, unsigned c, unsigned d) {
    return format("%u.%u.%u.%u", a, b, c, d);
}

// Every key a camera sends, in the order it sends them: about 400 bytes.
std::string typicalReply(int n, std::mt19937& random) {
    const auto r = [&](unsigned range) { return static_cast<unsigned>(random() % range); };
    return DatagramBuilder{}
        .field("MODEL:", format("PM-NP244-%u", r(8)))
        .field("MAC:", macFor(n))
        .field("SERIAL:", format("A%u", 1000000 + r(9000000)))
        .field("SOFTVERSION:", format("2.%u", r(40)))
        .field("DHCP:", "OFF")
        .field("IPADR:", octets(r(256), r(256), r(256), r(256)))
        .field("MASK:", "255.255.255.0")
        .field("GATEWAY:", "192.168.0.1")
        .field("DNSAUTO:", "OFF")
        .field("DNS1:", "192.168.0.2")
        .field("DNS2:", "192.168.0.3")
        .field("DNS3:", "0.0.0.0")
        .field("DNS4:", "0.0.0.0")
        .field("WEBPORT:", "80")
        .field("BANDELM:", "0.0,0.5,1.0,1.5,2.0,3.0,4.0,6.0,8.0")
        .field("CURBAND:", "0.0")
        .field("TIME:", "250315123456")
        .field("TIMEZONE:", "13")
        .field("DTFORMAT:", "2")
        .field("PPPOEFUNC:", "OFF")
        .field("PPPOEIPADR:", octets(r(256), r(256), r(256), r(256)))
        .field("PPPOEIDPASS:", "")
        .field("PPPOEDNSAUTO:", "on")
        .field("PPPOEDNS1:", "0.0.0.0")
        .field("PPPOEDNS2:", "0.0.0.0")
        .finish();
}

void fillTable(CameraTable& table) {
    std::mt19937 random(2380);
    for (int i = 0; i < kTableSize; ++i) {
        table.parseInfoReply(typicalReply(i, random));
    }
}

// The reply names one of the last cameras, so the MAC search passes the whole table.
void BM_ParseInfoReplyFullTable(benchmark::State& state) {
    CameraTable table;
    fillTable(table);
    std::mt19937 random(1);
    const auto reply = typicalReply(kTableSize - 1, random);
    for (auto _ : state) {
        table.parseInfoReply(reply);
    }
    if (table.count() != kTableSize) {
        state.SkipWithError("table not full");
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["reply_bytes"] = static_cast<double>(reply.size());
}
BENCHMARK(BM_ParseInfoReplyFullTable);

// Each run sorts by a different column than the one before, so it really reorders.
void BM_SortFullTable(benchmark::State& state) {
    CameraTable table;
    fillTable(table);
    const int codes[] = {kSortMac,    kSortIpAddress, kSortModel,
                         kSortSerial, kSortVersion,   kSortPppoeIpAddress};
    std::size_t next = 0;
    for (auto _ : state) {
        table.sortByColumn(codes[next]);
        next = (next + 1) % std::size(codes);
    }
    if (table.count() != kTableSize) {
        state.SkipWithError("table not full");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SortFullTable)->Unit(benchmark::kMicrosecond);

// This PC on two LANs (and loopback); 1024 cameras on them, the first half in pairs that share
// an address, a quarter of them on another subnet.
std::vector<LocalInterface> benchInterfaces() {
    return {{"lo", 1, {127, 0, 0, 1}, 8, true, std::nullopt},
            {"eth1", 2, {10, 1, 0, 1}, 21, false, Ipv4{10, 1, 0, 254}},
            {"eth2", 3, {10, 2, 0, 1}, 21, false, std::nullopt}};
}

std::vector<CameraAddressing> benchCameras() {
    std::vector<CameraAddressing> cameras;
    for (int i = 0; i < kTableSize; ++i) {
        const int host = i < kTableSize / 2 ? i / 2 + 2 : i + 2;
        // A pair sharing an address shares its LAN too.
        const bool otherSubnet = host % 4 == 3;
        const auto lan = static_cast<std::uint8_t>(host % 2 + 1);
        CameraAddressing c;
        c.mac = macFor(i);
        c.ipAddress = otherSubnet ? Ipv4{192, 168, static_cast<std::uint8_t>(host >> 8),
                                         static_cast<std::uint8_t>(host)}
                                  : Ipv4{10, lan, static_cast<std::uint8_t>(host >> 8),
                                         static_cast<std::uint8_t>(host)};
        c.subnetMask = {255, 255, 248, 0};
        c.gateway = {10, lan, 0, 254};
        c.interfaceIndex = lan + 1;
        cameras.push_back(c);
    }
    return cameras;
}

// The diagnosis alone: the list's addressing already collected.
void BM_DiagnoseCameras(benchmark::State& state) {
    const auto interfaces = benchInterfaces();
    const auto cameras = benchCameras();
    std::size_t withProblems = 0;
    for (auto _ : state) {
        const auto diagnoses = diagnoseCameras(cameras, interfaces);
        benchmark::DoNotOptimize(diagnoses.data());
        withProblems = static_cast<std::size_t>(std::count_if(
            diagnoses.begin(), diagnoses.end(), [](const auto& d) { return d.problems != 0; }));
    }
    state.counters["cameras_with_problems"] = static_cast<double>(withProblems);
    state.SetItemsProcessed(state.iterations() * kTableSize);
}
BENCHMARK(BM_DiagnoseCameras)->Unit(benchmark::kMicrosecond);

// What a rewrite of the window's list adds: the listed cameras' addressing read from a full
// table, then their diagnosis.
void BM_ListedAddressingAndDiagnosis(benchmark::State& state) {
    CameraTable table;
    const auto cameras = benchCameras();
    for (const auto& c : cameras) {
        table.parseInfoReply(DatagramBuilder{}
                                 .field("MODEL:", "PM-C110")
                                 .field("MAC:", c.mac)
                                 .field("DHCP:", "OFF")
                                 .field("IPADR:", formatIpv4(c.ipAddress))
                                 .field("MASK:", formatIpv4(c.subnetMask))
                                 .field("GATEWAY:", formatIpv4(c.gateway))
                                 .finish(),
                             c.interfaceIndex);
    }
    const auto interfaces = benchInterfaces();
    for (auto _ : state) {
        const auto diagnoses = diagnoseCameras(listedAddressing(table), interfaces);
        benchmark::DoNotOptimize(diagnoses.data());
    }
    state.SetItemsProcessed(state.iterations() * kTableSize);
}
BENCHMARK(BM_ListedAddressingAndDiagnosis)->Unit(benchmark::kMicrosecond);

// discover --expect over a site of 1,024 cameras: the saved list (JSON, as discover --json
// writes it) read, then compared with the cameras answering, 16 of them gone, 16 new and 100
// renumbered. The goal is under 50 ms.
void BM_CompareWithExpectedList(benchmark::State& state) {
    constexpr int kCameras = 1024;
    const auto mac = [](int n) {
        char text[18];
        std::snprintf(text, sizeof text, "02:50:4D:00:%02X:%02X", (n >> 8) & 255, n & 255);
        return std::string(text);
    };
    const auto address = [](int n) {
        return "10.1." + std::to_string(n >> 8) + "." + std::to_string(n & 255);
    };
    std::string saved = "[\n";
    for (int n = 0; n < kCameras; ++n) {
        saved += std::string(n == 0 ? "" : ",\n") + "  {\"mac\": \"" + mac(n) +
                 "\", \"model\": \"PM-C110\", \"serial\": \"CA0000001\", \"ipAddress\": \"" +
                 address(n) + "\", \"dhcp\": 0, \"webPort\": 80, \"problems\": []}";
    }
    saved += "\n]\n";
    std::vector<AnsweringCamera> answering;
    for (int n = 16; n < kCameras + 16; ++n) {
        answering.push_back({mac(n), address(n < 116 ? n + 2048 : n), "PM-C110"});
    }
    for (auto _ : state) {
        const auto read = readCameraList(saved, "saved.json");
        const auto comparison = compareWithExpected(*read.list, answering);
        benchmark::DoNotOptimize(comparison.missing.size());
    }
}
BENCHMARK(BM_CompareWithExpectedList)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelmora
