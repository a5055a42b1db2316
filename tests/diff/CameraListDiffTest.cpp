// Two lists of cameras compared: a list and its CSV form read alike, each kind of difference is
// found once, and a damaged file is refused with its line named.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "diff/CameraListDiff.h"
#include "listing/CameraListing.h"
#include "model/FixedText.h"

namespace pelmora {
namespace {

CameraRecord camera(int n, const char* model, Ipv4 address) {
    CameraRecord r{};
    char mac[18];
    std::snprintf(mac, sizeof mac, "02:50:4D:00:00:%02X", n);
    copyField(r.mac, mac);
    copyField(r.model, model);
    copyField(r.serial, "=SUM(A1)");  // guarded in CSV, read back as written
    copyField(r.softVersion, "2.31");
    copyField(r.bandElements[0], "0.5");
    copyField(r.bandElements[1], "unlimited");
    copyField(r.currentBand, "0.5");
    copyField(r.timeZone, "-5");
    r.ipAddress = address;
    r.subnetMask = {255, 255, 255, 0};
    r.webPort = 80;
    r.age = n;
    return r;
}

CameraList read(const std::string& text) {
    auto result = readCameraList(text, "list");
    EXPECT_TRUE(result.list) << result.error;
    return result.list.value_or(CameraList{});
}

TEST(CameraListDiff, AListAndItsCsvFormReadAlike) {
    std::vector<CameraRecord> records = {camera(1, "PM-NP244", {10, 1, 0, 4}),
                                         camera(2, "PM-C\xE9", {10, 1, 0, 5})};
    records[1].clock = {5, 4, 15, 8, 11, 126, 2, 341, 0};
    const auto json = read(formatCameraJson(records));
    const auto csv = read(formatCameraCsv(records));
    ASSERT_EQ(json.cameras.size(), 2u);
    EXPECT_TRUE(diffCameraLists(json, csv).empty()) << formatDiff(diffCameraLists(json, csv));
    EXPECT_TRUE(diffCameraLists(csv, json).empty());
    EXPECT_EQ(csv.cameras[0].field("serial"), "=SUM(A1)");
    EXPECT_EQ(csv.cameras[1].field("model"), "PM-C\xC3\xA9");
}

TEST(CameraListDiff, FindsAddedRemovedAndChangedCamerasButNotAgeOrClock) {
    std::vector<CameraRecord> before = {camera(1, "PM-NP244", {10, 1, 0, 4}),
                                        camera(2, "PM-C110", {10, 1, 0, 5}),
                                        camera(3, "PM-C110", {10, 1, 0, 6})};
    std::vector<CameraRecord> after = {camera(3, "PM-C110", {10, 1, 0, 16}),
                                       camera(4, "PM-F300", {10, 1, 0, 7}),
                                       camera(1, "PM-NP244", {10, 1, 0, 4})};
    after[0].webPort = 8080;
    after[2].age = 59;
    after[2].clock = {5, 4, 15, 8, 11, 126, 2, 341, 0};
    const auto old = read(formatCameraJson(before));
    const auto now = read(formatCameraCsv(after));
    const auto diff = diffCameraLists(old, now);
    EXPECT_EQ(formatDiff(diff),
              "+ 02:50:4D:00:00:04 PM-F300 10.1.0.7\n"
              "- 02:50:4D:00:00:02 PM-C110 10.1.0.5\n"
              "~ 02:50:4D:00:00:03 ipAddress: 10.1.0.6 -> 10.1.0.16\n"
              "~ 02:50:4D:00:00:03 webPort: 80 -> 8080\n");
    const auto json = diffJson(diff);
    EXPECT_EQ(json["added"].size(), 1u);
    EXPECT_EQ(json["added"][0]["model"], "PM-F300");
    EXPECT_EQ(json["removed"][0]["mac"], "02:50:4D:00:00:02");
    EXPECT_EQ(
        json["changed"][1],
        (nlohmann::ordered_json{
            {"mac", "02:50:4D:00:00:03"}, {"field", "webPort"}, {"old", "80"}, {"new", "8080"}}));
}

// A MAC written in lower case or with "-" (by hand, by another tool) names the same camera.
TEST(CameraListDiff, MacsMatchInEitherCaseAndWithEitherSeparator) {
    const auto old = read("mac,model\n02:50:4D:00:00:0A,PM\n02:50:4D:00:00:0B,PM\n");
    const auto now = read(
        "[{\"mac\": \"02-50-4d-00-00-0a\", \"model\": \"PM\"},\n"
        " {\"mac\": \"02:50:4d:00:00:0b\", \"model\": \"PM-2\"}]\n");
    EXPECT_EQ(formatDiff(diffCameraLists(old, now)), "~ 02:50:4D:00:00:0B model: PM -> PM-2\n");
}

TEST(CameraListDiff, RefusesDamagedListsNamingTheLine) {
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"[\n  {\"mac\": \"02:50:4D:00:00:01\"},\n  {\"mac\": \n", "list:4: not valid JSON"},
        {"[\n  {\"mac\": \"02:50:4D:00:00:01\"},\n  {\"model\": \"PM\"}\n]\n",
         "list:3: a camera without a \"mac\""},
        {"[\n  {\"mac\": \"02:50:4D:00:00:01\"},\n  7\n]\n",
         "list:3: a camera is not a JSON object"},
        {"{\"mac\": \"02:50:4D:00:00:01\"}\n", "list:1:"},
        {"[{\"mac\": \"02:50:4D:00:00:01\", \"age\": 1e999}]", "out of range"},
        {"mac,model\n02:50:4D:00:00:01,PM\n02:50:4D:00:00:02\n",
         "list:3: the row has 1 fields, the header 2"},
        {"model,serial\nPM,1\n", "list:1: no \"mac\" column"},
        {"mac,model,mac\n02:50:4D:00:00:01,PM,02:50:4D:00:00:02\n",
         "list:1: the column \"mac\" is named twice"},
        {"mac,model\n02:50:4D:00:00:01,\"PM\n", "list:2"},
        {"", "list:1: empty"},
        {"mac\n02:50:4D:00:00:01\n02:50:4D:00:00:01\n", "listed twice"},
        {"mac\n02:50:4D:00:00:0A\n02-50-4d-00-00-0a\n", "camera 02:50:4D:00:00:0A listed twice"},
    };
    for (const auto& c : cases) {
        const auto result = readCameraList(c.text, "list");
        EXPECT_FALSE(result.list) << c.text;
        EXPECT_NE(result.error.find(c.error), std::string::npos)
            << c.text << " -> " << result.error;
    }
    // An empty list is a list.
    EXPECT_TRUE(readCameraList("[]\n", "list").list);
    EXPECT_TRUE(readCameraList(formatCameraCsv({}), "list").list);
}

}  // namespace
}  // namespace pelmora
