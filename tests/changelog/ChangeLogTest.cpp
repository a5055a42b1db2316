// The change log end to end through the camera table: what each kind of request leaves in the
// file (and what it must never leave), outcomes joined by id, rotation, damaged lines, and two
// processes appending at once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "changelog/ChangeHistory.h"
#include "changelog/ChangeJournal.h"
#include "model/CameraTable.h"
#include "model/RecordingNotifier.h"
#include "protocol/Base64.h"
#include "protocol/WireText.h"
#include "settings/SettingSender.h"
#include "settings/bandwidth/BandwidthForm.h"
#include "settings/datetime/DateTimeRequest.h"
#include "settings/network/NetworkRequest.h"
#include "settings/pppoe/PppoeRequest.h"

namespace pelmora {
namespace {

using Json = nlohmann::json;

constexpr char kAdminName[] = "siteadmin";
constexpr char kAdminPassword[] = "Adm1nSecret";
constexpr char kPppoeUser[] = "dialuser";
constexpr char kPppoePassword[] = "Ppp0ePassw0rd";

class TempDir {
  public:
    TempDir() {
        char name[] = "/tmp/pelmora-log-XXXXXX";
        path_ = ::mkdtemp(name);
    }
    ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<Json> linesOf(const std::string& text) {
    std::vector<Json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(Json::parse(line));
    }
    return lines;
}

struct Sent {
    std::vector<std::string> datagrams;
    DatagramSender sender() {
        return [this](std::string_view d) {
            datagrams.emplace_back(d);
            return 0;
        };
    }
};

TEST(ChangeLog, EveryKindOfRequestLeavesSentAndOutcomeLinesWithoutSecrets) {
    TempDir dir;
    const std::string stateDir = dir.path() + "/state/pelmora";
    std::vector<std::string> failures;
    ChangeJournal journal("pelmora", ChangeLogFile(stateDir),
                          [&](const std::string& r) { failures.push_back(r); });
    int wakes = 0;
    journal.setWake([&] { ++wakes; });
    test::RecordingNotifier notifier;
    notifier.queueAnswer(RetryAnswer::Retry);
    CameraTable table;
    Sent sent;
    table.setNotifier(&notifier);
    table.setSender(sent.sender());
    table.setJournal(&journal);
    const std::string mac = test::macFor(1);
    table.parseInfoReply(
        test::datagram({{"MODEL:", "PM-NP244"}, {"MAC:", mac}, {"IPADR:", "10.1.0.9"}}));

    NetworkSettings network;
    network.dhcp = false;
    network.ipAddress = {10, 1, 0, 4};
    network.subnetMask = {255, 255, 255, 0};
    network.webPort80 = false;
    network.webPortText = "8080";
    PppoeSettings pppoe;
    pppoe.on = true;
    pppoe.userId = kPppoeUser;
    pppoe.password = kPppoePassword;
    const DateTimeValues clock{"ymd", "9", "2612081504052"};
    struct Case {
        std::string request;
        std::string reply;  // what the camera answers; empty: silence
        std::string action;
        Json settings;
        std::string result;
    };
    const std::vector<Case> cases = {
        {buildNetworkRequest(mac, kAdminName, kAdminPassword, network),
         test::settlement("ACK:", mac),
         "network",
         {{"dhcp", 0},
          {"ipAddress", "10.1.0.4"},
          {"subnetMask", "255.255.255.0"},
          {"dnsAuto", 1},
          {"webPort", 8080}},
         "OK"},
        {buildRebootRequest(mac, kAdminName, kAdminPassword),
         test::settlement("NAK:", mac),
         "reboot",
         {{"reboot", 1}},
         "NG"},
        {buildBandwidthRequest(mac, kAdminName, kAdminPassword, "unlimited"),
         test::settlement("NAK:", mac, "Busy, try later"),
         "bandwidth",
         {{"currentBand", "0.0"}},
         "message"},
        {buildDateTimeRequest(mac, clock),
         test::settlement("ACK:", mac),
         "datetime",
         {{"clock", "2026-12-08 15:04:05"}, {"timeZone", "9"}, {"dateTimeFormat", "ymd"}},
         "OK"},
        // Unanswered: "No Response", then Retry sends it again under a new id.
        {buildPppoeRequest(mac, kAdminName, kAdminPassword, pppoe),
         "",
         "pppoe",
         {{"pppoeOn", 1}, {"pppoeUserId", kPppoeUser}, {"pppoeDnsAuto", 1}},
         "No Response"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(sendSettingRequest(table, sent.sender(), mac, c.request), 0);
        if (c.reply.empty()) {
            for (int tick = 0; tick < 11; ++tick) {
                table.agingTick();
            }
        } else {
            dispatchDatagram(c.reply, table);
        }
    }
    // The retried request is answered this time.
    dispatchDatagram(test::settlement("ACK:", mac), table);
    // An answer's line is not written where the answer arrives (the receive thread): it waits,
    // with a wake for the owner, until the owner's thread flushes.
    EXPECT_EQ(linesOf(readAll(stateDir + "/changes.jsonl")).size(), 11u);
    EXPECT_GE(wakes, 1);
    journal.flush();

    const auto bytes = readAll(stateDir + "/changes.jsonl");
    for (const std::string& secret :
         std::vector<std::string>{kAdminPassword, kPppoePassword,
                                  base64Encode(std::string(kAdminName) + ":" + kAdminPassword),
                                  base64Encode(std::string(kPppoeUser) + ":" + kPppoePassword),
                                  std::string(kAdminName)}) {
        EXPECT_EQ(bytes.find(secret), std::string::npos) << secret;
    }
    EXPECT_TRUE(failures.empty());
    struct stat info {};
    ASSERT_EQ(::stat(stateDir.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat((stateDir + "/changes.jsonl").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const auto lines = linesOf(bytes);
    ASSERT_EQ(lines.size(), 12u);  // five requests and the retry, each sent and settled
    const auto history = parseHistory(bytes);
    EXPECT_EQ(history.skippedLines, 0u);
    ASSERT_EQ(history.entries.size(), cases.size() + 1);
    const auto retry = history.entries.front().sent();
    EXPECT_EQ(retry["action"], "pppoe");
    EXPECT_EQ(history.entries.front().result, "OK");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& entry = history.entries[cases.size() - i];
        const auto sent = entry.sent();
        SCOPED_TRACE(cases[i].action);
        EXPECT_EQ(sent["program"], "pelmora");
        EXPECT_EQ(sent["mac"], mac);
        EXPECT_EQ(sent["ipAddress"], "10.1.0.9");
        EXPECT_EQ(sent["model"], "PM-NP244");
        EXPECT_EQ(sent["action"], cases[i].action);
        EXPECT_EQ(Json(sent["settings"]), cases[i].settings);
        EXPECT_EQ(entry.result, cases[i].result);
        EXPECT_NE(sent["id"], retry["id"]);
        EXPECT_TRUE(sent["time"].get<std::string>().ends_with("+00:00"));
    }
    EXPECT_EQ(history.entries[3].text, "Busy, try later");
    EXPECT_EQ(historyLine(history.entries[3]).substr(25),
              "  " + mac + "  bandwidth  bandwidth limit unlimited  message: Busy, try later");
    EXPECT_EQ(settingsWords(history.entries[5].sent()["settings"]),
              "DHCP off, IP address 10.1.0.4, subnet mask 255.255.255.0, DNS automatic, HTTP port "
              "8080");
}

TEST(ChangeLog, AnUnwritableLogIsReportedOnceAndNeverStopsARequest) {
    std::vector<std::string> failures;
    // A directory cannot be made under a regular file, whoever runs the test.
    ChangeJournal journal("pelmora-cli", ChangeLogFile("/dev/null/pelmora"),
                          [&](const std::string& r) { failures.push_back(r); });
    CameraTable table;
    table.setJournal(&journal);
    Sent sent;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(
            sendSettingRequest(table, sent.sender(), test::macFor(i),
                               buildRebootRequest(test::macFor(i), kAdminName, kAdminPassword)),
            0);
    }
    EXPECT_EQ(sent.datagrams.size(), 3u);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("/dev/null"), std::string::npos);
}

TEST(ChangeLog, RotatesBeforePassingItsLimitAndReadsBothFilesSkippingDamage) {
    TempDir dir;
    ChangeLogFile file(dir.path(), 1000);
    std::string all;
    for (int i = 0; i < 40; ++i) {
        const auto line =
            Json{{"id", std::to_string(i)}, {"result", "sent"}, {"mac", test::macFor(i)}}.dump() +
            "\n";
        ASSERT_EQ(file.append(line), "");
    }
    EXPECT_LE(readAll(file.path()).size(), 1000u);
    EXPECT_LE(readAll(file.previousPath()).size(), 1000u);
    // A damaged line and an outcome for an id rotated away, among good ones.
    ASSERT_EQ(file.append("{\"id\":\"39\",\"result\":\"OK\",\"time\":\"t\"}\n"), "");
    ASSERT_EQ(file.append("{\"id\":\"3\",\"resu\n"), "");
    ASSERT_EQ(file.append("not json\n"), "");
    ASSERT_EQ(file.append("{\"id\":\"0\",\"result\":\"NG\"}\n"), "");

    auto history = readHistory(dir.path());
    EXPECT_EQ(history.skippedLines, 2u);
    ASSERT_FALSE(history.entries.empty());
    EXPECT_EQ(history.entries.front().sent()["id"], "39");
    EXPECT_EQ(history.entries.front().result, "OK");
    EXPECT_EQ(history.entries.front().settledAt, "t");
    const auto oldest = std::stoi(history.entries.back().sent()["id"].get<std::string>());
    EXPECT_EQ(history.entries.size(), static_cast<std::size_t>(40 - oldest));
    filterHistory(history, "02-50-4d-00-00-27", std::nullopt);  // camera 39, written otherwise
    ASSERT_EQ(history.entries.size(), 1u);
    EXPECT_EQ(history.entries[0].sent()["id"], "39");
}

TEST(ChangeLog, TwoProcessesAppendingAtOnceNeverBreakALine) {
    TempDir dir;
    constexpr int kLines = 1000;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ChangeLogFile file(dir.path());
            const std::string padding(200 + p * 57, 'a' + p);
            int failed = 0;
            for (int i = 0; i < kLines; ++i) {
                const auto line = Json{{"id", std::to_string(p) + "-" + std::to_string(i)},
                                       {"result", "sent"},
                                       {"pad", padding}}
                                      .dump() +
                                  "\n";
                failed += file.append(line).empty() ? 0 : 1;
            }
            ::_exit(failed == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const auto child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto history = readHistory(dir.path());
    EXPECT_EQ(history.skippedLines, 0u);
    EXPECT_EQ(history.entries.size(), 2u * kLines);
}

}  // namespace
}  // namespace pelmora
