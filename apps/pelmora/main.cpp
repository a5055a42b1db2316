// pelmora: the camera set-up tool's window.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <cstdio>

#include "app/CloseOnSignal.h"
#include "app/EventLoopProbe.h"
#include "app/MainDialog.h"
#include "app/Translations.h"
#include "model/CalendarTime.h"
#include "onvif/ProbeTargets.h"

int main(int argc, char** argv) {
    pelmora::pinLocalTimeZone();
    QApplication app(argc, argv);
    QApplication::setApplicationName("pelmora");
    QApplication::setApplicationVersion(PELMORA_VERSION);
    // With the 48 px picture too: on X11 the 256 px one alone is too large for the window's
    // icon property, and the window would have none.
    QIcon icon(":/icons/48/io.github.pelmora.Pelmora.png");
    icon.addFile(":/icons/256/io.github.pelmora.Pelmora.png");
    QApplication::setWindowIcon(QIcon::fromTheme("io.github.pelmora.Pelmora", icon));
    // The window speaks the language of the locale (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) where
    // it has a translation; the options below stay English, as scripts read them.
    const auto translators = pelmora::windowTranslators(QLocale::system());
    for (const auto& translator : translators) {
        QApplication::installTranslator(translator.get());
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Pelmora: finds the network cameras on the LAN (a broadcast to 255.255.255.255 port "
        "2380 on every interface, at start and every 5 s), lists them live and changes one "
        "camera's settings. The ONVIF page lists the ONVIF cameras of every maker (a WS-Discovery "
        "probe to 239.255.255.250 port 3702 on every interface with multicast, at start and "
        "every 30 s).");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption targetOption(
        "target",
        "Send to HOST[:PORT] instead of broadcasting (a simulator on this machine); ONVIF probes "
        "then go only to the --onvif-probe addresses, never multicast.",
        "HOST[:PORT]");
    parser.addOption(targetOption);
    const QCommandLineOption noOnvifOption("no-onvif", "Do not look for ONVIF cameras.");
    parser.addOption(noOnvifOption);
    const QCommandLineOption onvifProbeOption(
        "onvif-probe",
        "Also probe these addresses for ONVIF cameras, for cameras multicast cannot reach "
        "(addresses and CIDR ranges, comma-separated; at most 4096 addresses).",
        "LIST");
    parser.addOption(onvifProbeOption);
    const QCommandLineOption onvifPortOption(
        "onvif-port", "Send ONVIF probes to this UDP port instead of 3702 (a simulator).", "PORT");
    parser.addOption(onvifPortOption);
    parser.process(app);

    pelmora::MainDialogOptions options;
    if (parser.isSet(targetOption)) {
        std::string error;
        const auto target = pelmora::parseTarget(parser.value(targetOption).toStdString(), &error);
        if (!target) {
            std::fprintf(stderr, "--target: %s\n", error.c_str());
            return 2;
        }
        options.target = *target;
    }
    if (!parser.isSet(noOnvifOption)) {
        auto& onvif = options.onvif.emplace();
        // Talking only to a simulator: nothing leaves for the LAN, multicast included.
        onvif.discovery.multicast = !parser.isSet(targetOption);
        if (parser.isSet(onvifPortOption)) {
            bool ok = false;
            const uint port = parser.value(onvifPortOption).toUInt(&ok);
            if (!ok || port == 0 || port > 65535) {
                std::fprintf(stderr, "--onvif-port: not a port: %s\n",
                             qPrintable(parser.value(onvifPortOption)));
                return 2;
            }
            onvif.discovery.port = static_cast<std::uint16_t>(port);
        }
        if (parser.isSet(onvifProbeOption)) {
            std::string error;
            auto addresses = pelmora::onvif::parseProbeTargets(
                parser.value(onvifProbeOption).toStdString(), &error);
            if (!addresses) {
                std::fprintf(stderr, "--onvif-probe: %s\n", error.c_str());
                return 2;
            }
            onvif.discovery.directed = std::move(*addresses);
        }
    }
    pelmora::MainDialog window(options);
    if (const auto code = window.start()) {
        return *code;
    }
    QObject::connect(&window, &pelmora::MainDialog::fatalError, &app, &QApplication::exit);
    QObject::connect(&window, &QDialog::finished, &app, [&app] { app.exit(0); });
    const pelmora::CloseOnSignal closeOnSignal(&window);
    // Soak runs only: the probe writes its figures when it goes, after the loop has ended.
    const auto probe = pelmora::EventLoopProbe::fromEnvironment(
        [&window] { return window.cameraCountLabel()->text().section(' ', 0, 0).toInt(); });
    window.show();
    return QApplication::exec();
}
