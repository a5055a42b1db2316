#include "settings/bandwidth/BandwidthForm.h"

#include <gtest/gtest.h>

#include "model/CameraTable.h"
#include "protocol/Base64.h"
#include "protocol/DatagramBuilder.h"

namespace pelmora {
namespace {

CameraRecord cameraWithBands(std::string_view list, std::string_view current) {
    CameraTable table;
    table.parseInfoReply(DatagramBuilder{}
                             .field("MAC:", "02:50:4D:00:00:01")
                             .field("MODEL:", "M")
                             .field("BANDELM:", list)
                             .field("CURBAND:", current)
                             .finish());
    return table.liveRecords().at(0);
}

TEST(BandwidthForm, listsTheCamerasValuesWithNoLimitShownAsUnlimited) {
    const auto form = bandwidthFormFor(cameraWithBands("0.0,1.0,2.0", "0.0"));
    EXPECT_EQ(form.currentBand, "unlimited");
    EXPECT_EQ(form.choices, (std::vector<std::string>{"unlimited", "1.0", "2.0"}));
}

TEST(BandwidthForm, listsAllThirtyValuesAndNoneWhenTheCameraReportsNone) {
    std::string list;
    for (int i = 1; i <= 30; ++i) {
        list += (i > 1 ? "," : "") + std::to_string(i) + ".0";
    }
    EXPECT_EQ(bandwidthFormFor(cameraWithBands(list, "1.0")).choices.size(), 30u);
    CameraTable table;
    table.parseInfoReply(DatagramBuilder{}.field("MAC:", "m").field("MODEL:", "M").finish());
    EXPECT_TRUE(bandwidthFormFor(table.liveRecords().at(0)).choices.empty());
}

TEST(BandwidthForm, requestSendsUnlimitedAsZeroBehindTheCredentials) {
    const auto request = buildBandwidthRequest("02:50:4D:00:00:01", "admin", "secret", "unlimited");
    EXPECT_EQ(request, std::string("\x02SETMAC:02:50:4D:00:00:01\xFFIDPASS:") +
                           base64Encode("admin:secret") + "\xFFSETBAND:0.0\xFF\x03");
    EXPECT_NE(buildBandwidthRequest("m", "user", "pass", "2.0").find("SETBAND:2.0\xFF"),
              std::string::npos);
}

}  // namespace
}  // namespace pelmora
