// axocomm: talks to a driver from the command line.

#include "AXOComm.h"
#include "CliSupport.h"
#include "StartCommand.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QStringList>

#include <cstdio>

namespace {

using cli::usageError;
using cli::parseFormula;

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
        std::printf(
            "driver at %s:%d did not answer PING (%s, time limit %d s)\n", qPrintable(host), port, how, timeoutSeconds);
    return answered ? 0 : 1;
}

int exec(const QStringList &args)
{
    QString endpoint;
    QString commandName;
    QString certPath;
    int dispenser = 0;
    Formula formula;
    bool hasFormula = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg.startsWith(QLatin1String("--"))) {
            if (i + 1 >= args.size())
                return usageError(qPrintable(arg + QStringLiteral(" needs a value")));
            const QString value = args.at(++i);
            bool ok = true;
            if (arg == QLatin1String("--dispenser"))
                dispenser = value.toInt(&ok);
            else if (arg == QLatin1String("--formula"))
                ok = hasFormula = parseFormula(value, formula);
            else if (arg == QLatin1String("--cert"))
                certPath = value;
            else
                return usageError(qPrintable(QStringLiteral("unknown option %1").arg(arg)));
            if (!ok || dispenser < 0)
                return usageError(qPrintable(QStringLiteral("bad value for %1: %2").arg(arg, value)));
        } else if (endpoint.isEmpty()) {
            endpoint = arg;
        } else if (commandName.isEmpty()) {
            commandName = arg;
        } else {
            return usageError("exec takes one HOST:PORT and one COMMAND");
        }
    }
    QString host;
    int port = 0;
    if (endpoint.isEmpty() || commandName.isEmpty())
        return usageError("exec needs HOST:PORT and COMMAND");
    if (!AXODriverConnection::decodeConnString(endpoint, &host, &port) || port <= 0 || port > 65535)
        return usageError(qPrintable(QStringLiteral("not an IPv4 address and port: %1").arg(endpoint)));
    if (!ProtoCommandList::existsCommand(commandName))
        return usageError(qPrintable(QStringLiteral("no such command: %1").arg(commandName)));

    const bool tls = AXOClientSettings::useOpenSsl();
    bool temporaryCert = false;
    if (tls && certPath.isEmpty()) {
        certPath = AXOCommManager::instance()->getCertsFilePath();
        temporaryCert = true;
    }

    AXOCommData *store = AXOCommData::instance();
    const int driverID = store->getNextDriverID();
    store->addDriverParams(NEDriverParams(driverID, AXODriverConnection(host, port, certPath)));
    std::printf("driver %d registered at %s:%d (%s)\n", driverID, qPrintable(host), port, tls ? "TLS" : "plain");
    const MachineID generic(0, MachineID::Dispenser);
    const MachineID machine(dispenser, MachineID::Dispenser);
    store->startDriverCommThread(driverID, generic, NEDriverParams::StandardCommandsThread);
    int status = 1;
    bool loggedIn = false;
    if (dispenser > 0) {
        store->updateMachineDataList(driverID, { machine }, MachineID::Dispenser);
        for (int type = NEDriverParams::StandardCommandsThread; type <= NEDriverParams::ScaleCommandsThread; ++type)
            store->startDriverCommThread(driverID, machine, static_cast<NEDriverParams::DriverThreadTypes>(type));
        std::printf("command threads started for dispenser %d\n", dispenser);
        loggedIn = NECmdManager::login(driverID, machine, QStringLiteral("axocomm"));
        std::printf("dispenser %d %s\n", dispenser, loggedIn ? "logged in" : "refused the login");
    }

    if (dispenser == 0 || loggedIn) {
        QList<QVariant> parameters;
        if (hasFormula)
            parameters.append(QVariant::fromValue(formula));
        try {
            NECommand cmd(driverID, dispenser > 0 ? machine : generic, commandName, parameters);
            int shownPercentage = -1;
            const QMetaObject::Connection watch = QObject::connect(store, &AXOCommData::NECommandExecutionStatusSignal,
                [&shownPercentage](AXOCommData::CommandEvent event, const NECommand &c) {
                    const CmdStatus s = c.executionStatus();
                    switch (event) {
                    case AXOCommData::CommandEnqueued:
                        std::printf("  enqueued %s\n", qPrintable(c.command()));
                        break;
                    case AXOCommData::CommandSent:
                        std::printf("  sent\n");
                        break;
                    case AXOCommData::CommandProgress:
                        if (s.percentage() == shownPercentage)
                            return;
                        shownPercentage = s.percentage();
                        std::printf("  progress %3d%%  (%.1f s left)\n", s.percentage(), s.timeLeft() / 1000.0);
                        break;
                    case AXOCommData::CommandExecuted:
                        std::printf("  executed: %s\n", qPrintable(CmdStatus::getDescription(s.status())));
                        break;
                    }
                    std::fflush(stdout);
                });
            std::printf("%s %s (%s)\n", qPrintable(commandName),
                dispenser > 0 ? qPrintable(QStringLiteral("on dispenser %1").arg(dispenser)) : "on the driver",
                cmd.isAsyncCommandCall() ? "asynchronous call, followed by ticket" : "synchronous call");
            NECmdManager::executeCommandPumped(&cmd);
            QObject::disconnect(watch);
            for (const FW_Error &error : cmd.errors())
                std::printf("  error %s\n", qPrintable(error.errorText()));
            const std::unique_ptr<XmlRpcAnswer> answer = cmd.getXmlRpcAnswer();
            if (answer && answer->hasData())
                std::printf("  answer: %s\n", answer->data().toText().c_str());
            status = cmd.isDoneSuccessfully() ? 0 : 1;
        } catch (const FW_Exception &e) {
            std::printf("command not built: %s\n", qPrintable(e.error().errorText()));
        }
    }

    if (loggedIn)
        NECmdManager::logout(driverID, machine);
    store->closeAllConnections(driverID, true);
    AXOCommData::drop();
    std::printf("driver %d closed\n", driverID);
    if (temporaryCert)
        QFile::remove(certPath);
    return status;
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
    if (command == QLatin1String("exec"))
        return exec(args);
    if (command == QLatin1String("start"))
        return StartCommand().run(args);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(cli::usageText(), stdout);
        return 0;
    }
    return usageError(qPrintable(QStringLiteral("unknown command %1").arg(command)));
}
