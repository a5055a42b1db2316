// Credentials kept in the desktop's keyring. With a Secret Service (gnome-keyring on a session
// bus of the test's own): kept from the Network page as a request goes out, put back when the
// camera is chosen again, read by pelmora-cli --password-keyring, then forgotten. Without one:
// the box is off and says why, and the command line exits 2 saying so.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include "keyring/CredentialStore.h"
#include "pages/network/NetworkPage.h"
#include "widgets/PageFixture.h"
#include "widgets/PageTestSupport.h"

namespace pelmora {
namespace {

bool answered(const CredentialStore& store) {
    return QTest::qWaitFor(
        [&] { return store.availability() != CredentialStore::Availability::Unknown; }, 30000);
}

// What the keyring holds for `mac` now, waiting for its answer.
std::optional<StoredCredentials> keptFor(CredentialStore& store, const std::string& mac) {
    bool done = false;
    std::optional<StoredCredentials> kept;
    store.load(QString::fromStdString(mac), [&](std::optional<StoredCredentials> found) {
        kept = std::move(found);
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 30000));
    return kept;
}

struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& arguments) {
    QProcess cli;
    cli.start(PELMORA_CLI, arguments);
    EXPECT_TRUE(cli.waitForFinished(60000));
    return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
            QString::fromUtf8(cli.readAllStandardError())};
}

class KeyringWithService : public test::PageFixture<NetworkPage> {
  protected:
    void SetUp() override {
        store.probe();
        ASSERT_TRUE(answered(store));
        ASSERT_EQ(store.availability(), CredentialStore::Availability::Available)
            << store.unavailableReason().toStdString();
        table.discoveryEnabled = 1;
        auto withKeyring = services();
        withKeyring.keyring = &store;
        page.resize(760, 560);
        page.setTable(&table, withKeyring);
        page.show();
        QApplication::processEvents();
    }

    CredentialStore store;
};

TEST_F(KeyringWithService, keptAsARequestGoesOutFilledAgainReadByTheCommandLineThenForgotten) {
    test::addCamera(table, 1);
    test::addCamera(table, 2);
    page.refreshGrid();
    const std::string first = test::macOf(1);
    clickRow(0);
    ASSERT_TRUE(page.rememberBox()->isEnabled()) << page.rememberBox()->toolTip().toStdString();
    EXPECT_FALSE(page.rememberBox()->isChecked()) << "nothing kept yet";
    typeCredentials("admin", "S\u00e9cret-1");
    page.rememberBox()->setChecked(true);
    QTest::mouseClick(page.rebootButton(), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.keptCredentials()->keptForChosen(); }, 30000));
    const auto kept = keptFor(store, first);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->name, "admin");
    EXPECT_EQ(kept->password, "S\u00e9cret-1");

    // Another camera has nothing kept: the box clears. Coming back fills the fields again.
    clickRow(1);
    EXPECT_FALSE(page.rememberBox()->isChecked());
    typeCredentials("", "");
    clickRow(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.rememberBox()->isChecked(); }, 30000));
    EXPECT_EQ(page.nameEdit()->text(), "admin");
    EXPECT_EQ(page.passwordEdit()->text(), "S\u00e9cret-1");
    EXPECT_EQ(page.passwordEdit()->echoMode(), QLineEdit::Password);

    const auto dryRun = runCli(
        {"reboot", QString::fromStdString(first).toLower(), "--password-keyring", "--dry-run"});
    EXPECT_EQ(dryRun.code, 0) << dryRun.err.toStdString();
    EXPECT_TRUE(dryRun.out.contains(QString::fromStdString(first))) << dryRun.out.toStdString();
    EXPECT_FALSE(dryRun.out.contains("cret-1")) << "the password is never printed";
    const auto none =
        runCli({"reboot", QString::fromStdString(test::macOf(2)), "--password-keyring"});
    EXPECT_EQ(none.code, 2);
    EXPECT_TRUE(none.err.contains("no password is kept")) << none.err.toStdString();
    const auto both = runCli({"reboot", QString::fromStdString(first), "--password-keyring",
                              "--user", "admin", "--dry-run"});
    EXPECT_EQ(both.code, 2) << "the keyring's name or --user, not both";

    page.keptCredentials()->forgetChosen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.rememberBox()->isChecked(); }, 30000));
    EXPECT_FALSE(keptFor(store, first));
    EXPECT_EQ(runCli({"reboot", QString::fromStdString(first), "--password-keyring"}).code, 2);
}

TEST(KeyringWithoutService, theBoxIsOffSayingWhyAndTheCommandLineExits2SayingSo) {
    CredentialStore store;
    store.probe();
    ASSERT_TRUE(answered(store));
    EXPECT_EQ(store.availability(), CredentialStore::Availability::Unavailable);
    QWidget page;
    KeptCredentials kept(new QLineEdit(&page), new QLineEdit(&page), &page);
    kept.setStore(&store);
    EXPECT_FALSE(kept.box()->isEnabled());
    EXPECT_TRUE(kept.box()->toolTip().contains("no Secret Service is reachable"))
        << kept.box()->toolTip().toStdString();
    const auto run = runCli({"reboot", "02:50:4D:00:00:01", "--password-keyring", "--dry-run"});
    EXPECT_EQ(run.code, 2);
    EXPECT_TRUE(run.err.contains("no Secret Service is reachable")) << run.err.toStdString();
}

}  // namespace
}  // namespace pelmora
