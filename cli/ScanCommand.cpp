#include "ScanCommand.h"

#include "AXOComm.h"
#include "CliSupport.h"
#include "CommandLine.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>

namespace {

const char kSynopsis[] = "scan HOST:PORT [--cert FILE]";
const char kDescription[] =
    "Looks for the driver the way a start probes it: PING at HOST:PORT and, when\n"
    "it does not answer and the client settings file names this host\n"
    "(AXODriverIP=127.0.0.1), at the ten ports from PORT-5 to PORT+4, lowest\n"
    "first; a driver on another host is tried three times. Prints the endpoint\n"
    "that answered. Plain or TLS as the client settings file says.\n"
    "Exit status: 0 a driver answered, 1 none did, 2 bad usage.";

} // namespace

int ScanCommand::run(const QStringList &args)
{
    CommandLine line{QLatin1String(kSynopsis), QLatin1String(kDescription)};
    line.addOption(QStringLiteral("cert"), QStringLiteral("FILE"),
                   QStringLiteral("PEM file with the certificate authority of the driver."));
    int status = cli::ExitOk;
    QString host;
    int port = 0;
    if (!line.parse(args, 1, 1, &status))
        return status;
    if (!line.endpoint(0, &host, &port))
        return cli::ExitUsage;
    const bool local = AXOClientSettings::isLocalDriver();
    if (local && (port < 6 || port > 65531))
        return line.usageError(QStringLiteral("the ports scanned around %1 must lie in 1..65535").arg(port));

    const bool tls = AXOClientSettings::useOpenSsl();
    QString certPath = line.value(QStringLiteral("cert"));
    const bool temporaryCert = tls && certPath.isEmpty();
    if (temporaryCert)
        certPath = AXOCommManager::instance()->getCertsFilePath();
    cli::printLine(QStringLiteral("scanning for the driver at %1:%2 (%3, %4)")
                       .arg(host)
                       .arg(port)
                       .arg(QLatin1String(tls ? "TLS" : "plain"),
                            local ? QStringLiteral("this host: ports %1 to %2").arg(port - 5).arg(port + 4)
                                  : QStringLiteral("another host: three tries")));
    NEDriverParams params(1, AXODriverConnection(host, port, tls ? certPath : QString()));
    QElapsedTimer timer;
    timer.start();
    const bool found = AXOCommData::checkDriverConnection(params);
    if (temporaryCert)
        QFile::remove(certPath);
    if (!found) {
        cli::printLine(QStringLiteral("no driver answered (%1 ms)").arg(timer.elapsed()));
        return cli::ExitFailed;
    }
    cli::printLine(QStringLiteral("driver found at %1:%2%3 (%4 ms)")
                       .arg(params.ipAddress())
                       .arg(params.port())
                       .arg(params.port() == port ? QString() : QStringLiteral(", not at %1").arg(port))
                       .arg(timer.elapsed()));
    return cli::ExitOk;
}
