#include "settings/pppoe/PppoeRequest.h"

#include <gtest/gtest.h>

#include <string>

#include "model/CameraTable.h"
#include "model/PendingRequest.h"
#include "protocol/WireText.h"

namespace pelmora {
namespace {

using test::wire;

constexpr const char* kMac = "02:50:4D:00:00:01";

PppoeSettings onWithAccount(std::string user, std::string password) {
    PppoeSettings s;
    s.on = true;
    s.userId = std::move(user);
    s.password = std::move(password);
    return s;
}

TEST(PppoeAccount, userIdIsCheckedFirstThenPasswordAgainstTheRetypedOne) {
    using V = PppoeAccountVerdict;
    struct Case {
        const char* name;
        const char* user;
        const char* password;
        const char* retyped;
        V expected;
    } cases[] = {
        {"all empty: the user ID first", "", "", "", V::UserIdError},
        {"no user, good password", "", "pw", "pw", V::UserIdError},
        {"empty password equal to empty retype", "isp", "", "", V::PasswordError},
        {"retype differs", "isp", "pw", "pw2", V::PasswordError},
        {"retype differs only in case", "isp", "Secret", "secret", V::PasswordError},
        {"retype empty", "isp", "pw", "", V::PasswordError},
        {"matching", "isp", "pw", "pw", V::Valid},
        {"user ID with a colon", "isp:user", "pw", "pw", V::Valid},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkPppoeAccount(c.user, c.password, c.retyped), c.expected) << c.name;
    }
    EXPECT_EQ(pppoeAccountMessage(V::UserIdError), "UserID Error");
    EXPECT_EQ(pppoeAccountMessage(V::PasswordError), "Password Error");
    EXPECT_EQ(pppoeAccountMessage(V::Valid), "");
}

TEST(PppoeRequest, offSendsTheFunctionAloneWhateverTheOtherFieldsHold) {
    auto s = onWithAccount("isp-user", "s3cret");
    s.on = false;
    s.dnsAuto = false;
    s.primaryDns = {10, 0, 0, 1};
    EXPECT_EQ(buildPppoeRequest(kMac, "admin", "password", s),
              wire("<SETMAC:02:50:4D:00:00:01|IDPASS:YWRtaW46cGFzc3dvcmQ=|PPPOEFUNC:OFF|>"));
}

TEST(PppoeRequest, onCarriesTheEncodedAccountAndTheDnsChoice) {
    auto automatic = onWithAccount("isp-user", "s3cret");
    automatic.primaryDns = {10, 0, 0, 1};  // ignored while DNS is automatic
    EXPECT_EQ(buildPppoeRequest(kMac, "admin", "password", automatic),
              wire("<SETMAC:02:50:4D:00:00:01|IDPASS:YWRtaW46cGFzc3dvcmQ=|PPPOEFUNC:ON|"
                   "PPPOEIDPASS:aXNwLXVzZXI6czNjcmV0|PPPOEDNSAUTO:ON|>"));

    auto manual = onWithAccount("isp:user", "pw");
    manual.dnsAuto = false;
    manual.secondaryDns = {10, 0, 0, 2};
    EXPECT_EQ(buildPppoeRequest(kMac, "admin", "password", manual),
              wire("<SETMAC:02:50:4D:00:00:01|IDPASS:YWRtaW46cGFzc3dvcmQ=|PPPOEFUNC:ON|"
                   "PPPOEIDPASS:aXNwOnVzZXI6cHc=|PPPOEDNSAUTO:OFF|PPPOEDNS1:0.0.0.0|"
                   "PPPOEDNS2:10.0.0.2|>"));
}

// The longest account the page accepts, with the longest credentials and manual DNS, still fits
// a pending-request slot with its NUL, so it is tracked and can be sent again on Retry.
TEST(PppoeRequest, theLongestRequestFitsAPendingSlot) {
    auto s = onWithAccount(std::string(kMaxPppoeAccountLength, '\xFF'),
                           std::string(kMaxPppoeAccountLength, '\x03'));
    s.dnsAuto = false;
    s.primaryDns = {255, 255, 255, 255};
    s.secondaryDns = {255, 255, 255, 255};
    const auto request = buildPppoeRequest(kMac, std::string(16, 'n'), std::string(16, 'p'), s);
    EXPECT_LT(request.size(), sizeof(PendingRequest::request));
    // Framing bytes in the account travel only inside Base64.
    EXPECT_EQ(request.find('\x03'), request.size() - 1);

    CameraTable table;
    EXPECT_GE(table.registerPending(kMac, request), 0);
    table.read([&](const TableData& d) { EXPECT_EQ(std::string(d.pending[0].request), request); });
}

}  // namespace
}  // namespace pelmora
