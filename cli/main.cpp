// axocomm: talks to a driver from the command line.

#include "AXOComm.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QStringList>

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: axocomm ping HOST:PORT [--timeout SECONDS] [--cert FILE]\n"
    "\n"
    "  ping   sends PING to the driver at HOST:PORT (an IPv4 address) and tells\n"
    "         whether it answered. Plain or TLS as the client settings file says\n"
    "         (AXOServiceUSEOPENSSL); with TLS and no --cert, the certificate\n"
    "         built into the library is used.\n"
    "\n"
    "  --timeout SECONDS   time limit of the call (default 5)\n"
    "  --cert FILE         PEM file with the certificate authority of the driver\n"
    "\n"
    "exit status: 0 the driver answered, 1 it did not, 2 bad arguments\n";

int usageError(const char *message)
{
    if (message)
        std::fprintf(stderr, "axocomm: %s\n", message);
    std::fputs(kUsage, stderr);
    return 2;
}

int ping(const QStringList &args)
{
    QString endpoint;
    int timeoutSeconds = 5;
    QString certPath;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--timeout") || arg == QLatin1String("--cert")) {
            if (i + 1 >= args.size())
                return usageError(qPrintable(arg + QStringLiteral(" needs a value")));
            const QString value = args.at(++i);
            if (arg == QLatin1String("--cert")) {
                certPath = value;
                continue;
            }
            bool ok = false;
            timeoutSeconds = value.toInt(&ok);
            if (!ok || timeoutSeconds <= 0)
                return usageError("--timeout takes a whole number of seconds above 0");
        } else if (arg.startsWith(QLatin1String("--"))) {
            return usageError(qPrintable(QStringLiteral("unknown option %1").arg(arg)));
        } else if (endpoint.isEmpty()) {
            endpoint = arg;
        } else {
            return usageError("ping takes one HOST:PORT");
        }
    }
    QString host;
    int port = 0;
    if (endpoint.isEmpty())
        return usageError("ping needs HOST:PORT");
    if (!AXODriverConnection::decodeConnString(endpoint, &host, &port) || port <= 0 || port > 65535)
        return usageError(qPrintable(QStringLiteral("not an IPv4 address and port: %1").arg(endpoint)));

    const bool tls = AXOClientSettings::useOpenSsl();
    bool temporaryCert = false;
    if (tls && certPath.isEmpty()) {
        certPath = AXOCommManager::instance()->getCertsFilePath();
        temporaryCert = true;
    }
    if (tls && !QFile::exists(certPath)) {
        std::fprintf(stderr, "axocomm: certificate file not found: %s\n", qPrintable(certPath));
        return 2;
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
    return answered ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usageError(nullptr);
    const QString command = args.takeFirst();
    if (command == QLatin1String("ping"))
        return ping(args);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    return usageError(qPrintable(QStringLiteral("unknown command %1").arg(command)));
}
