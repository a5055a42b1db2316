// GoogleTest main for the window tests: one QApplication for the whole run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // Headless always, also while CTest lists the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // Settings the window keeps go to a test location, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    // So do the setting requests the window records.
    QTemporaryDir stateDir;
    qputenv("PELMORA_STATE_DIR", stateDir.path().toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
