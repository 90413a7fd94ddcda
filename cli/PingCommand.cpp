#include "PingCommand.h"

#include "AXOComm.h"
#include "CliSupport.h"
#include "CommandLine.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>

#include <cstdio>

namespace {

const char kSynopsis[] = "ping HOST:PORT [--timeout SECONDS] [--cert FILE]";
const char kDescription[] =
    "Sends PING to the driver at HOST:PORT (an IPv4 address) and tells whether it\n"
    "answered. Plain or TLS as the client settings file says (AXOServiceUSEOPENSSL);\n"
    "with TLS and no --cert, the certificate built into the library is used.\n"
    "Exit status: 0 the driver answered, 1 it did not, 2 bad usage.";

} // namespace

int PingCommand::run(const QStringList &args)
{
    CommandLine line{QLatin1String(kSynopsis), QLatin1String(kDescription)};
    line.addOption(QStringLiteral("timeout"), QStringLiteral("SECONDS"),
                   QStringLiteral("Time limit of the call (default 5)."));
    line.addOption(QStringLiteral("cert"), QStringLiteral("FILE"),
                   QStringLiteral("PEM file with the certificate authority of the driver."));
    int status = cli::ExitOk;
    QString host;
    int port = 0;
    int timeoutSeconds = 5;
    if (!line.parse(args, 1, 1, &status))
        return status;
    if (!line.endpoint(0, &host, &port) || !line.intValue(QStringLiteral("timeout"), 1, 3600, 5, &timeoutSeconds))
        return cli::ExitUsage;

    QString certPath = line.value(QStringLiteral("cert"));
    const bool tls = AXOClientSettings::useOpenSsl();
    bool temporaryCert = false;
    if (tls && certPath.isEmpty()) {
        certPath = AXOCommManager::instance()->getCertsFilePath();
        temporaryCert = true;
    }
    if (tls && !QFile::exists(certPath)) {
        cli::printError(QStringLiteral("certificate file not found: %1").arg(certPath));
        return cli::ExitUsage;
    }

    const AXODriverConnection connection(host, port, certPath);
    QElapsedTimer timer;
    timer.start();
    const bool answered = NECmdManager::ping(connection, timeoutSeconds);
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (temporaryCert)
        QFile::remove(certPath);

    const char *how = tls ? "TLS" : "plain";
    if (answered)
        std::printf("driver at %s:%d answered PING (%s) in %.1f ms\n", qPrintable(host), port, how, ms);
    else
        std::printf("driver at %s:%d did not answer PING (%s, time limit %d s)\n", qPrintable(host), port, how,
                    timeoutSeconds);
    std::fflush(stdout);
    return answered ? cli::ExitOk : cli::ExitFailed;
}
