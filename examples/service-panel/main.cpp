// The service panel: starts a driver and works on its machines.
//
//   service-panel [--host ADDRESS] [--port PORT] [--level N]
//                 [--connect] [--continue] [--dispense FORMULA]
//                 [--screenshot FILE] [--quit-after SECONDS]
//
// Without --connect the connect dialog opens; with it the driver is started
// at once. --continue goes on to the panel when the start succeeded, and
// --dispense then dispenses the formula (position:amount pairs). For an
// unattended run (a virtual display) --quit-after ends the program after a
// while, saving the window to --screenshot first.

#include "DispensePanel.h"
#include "MainWindow.h"
#include "PanelSession.h"

#include <QtCore/QCommandLineParser>
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("service-panel"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Service panel for the equipment drivers"));
    parser.addHelpOption();
    const QCommandLineOption host(QStringLiteral("host"), QStringLiteral("driver address (IPv4)"), QStringLiteral("address"),
                                  AXOClientSettings::driverIP().isEmpty() ? QStringLiteral("127.0.0.1")
                                                                          : AXOClientSettings::driverIP());
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("driver port"), QStringLiteral("port"),
                                  QStringLiteral("9333"));
    const QCommandLineOption level(QStringLiteral("level"), QStringLiteral("communication level 0, 1 or 2"),
                                   QStringLiteral("level"), QStringLiteral("2"));
    const QCommandLineOption connectNow(QStringLiteral("connect"), QStringLiteral("start the driver at once"));
    const QCommandLineOption continueNow(QStringLiteral("continue"), QStringLiteral("show the panel once started"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QStringLiteral("save the window before quitting"),
                                        QStringLiteral("file"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after"), QStringLiteral("quit after this many seconds"),
                                       QStringLiteral("seconds"));
    const QCommandLineOption dispense(QStringLiteral("dispense"),
                                      QStringLiteral("dispense the formula once started (with --continue)"),
                                      QStringLiteral("formula"));
    parser.addOptions({host, port, level, connectNow, continueNow, dispense, screenshot, quitAfter});
    parser.process(app);

    ConnectRequest request;
    request.address = parser.value(host);
    request.port = parser.value(port).toInt();
    request.level = static_cast<AXOCommData::CommLevel>(qBound(0, parser.value(level).toInt(), 2));

    MainWindow window;
    window.setDefaultRequest(request);
    window.show();
    const QString formula = parser.value(dispense);
    if (parser.isSet(continueNow))
        QObject::connect(window.session(), &PanelSession::startFinished, &window, [&window, formula](bool ok) {
            if (!ok)
                return;
            window.showPanel();
            if (!formula.isEmpty())
                window.dispensePanel()->dispenseText(formula);
        });
    if (parser.isSet(connectNow))
        window.connectTo(request);
    else
        window.openConnectDialog();
    if (parser.isSet(quitAfter)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(qRound(parser.value(quitAfter).toDouble() * 1000), &window, [&window, file] {
            if (!file.isEmpty()) {
                const bool saved = window.grab().save(file);
                std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
            }
            QApplication::quit();
        });
    }
    return app.exec();
}
