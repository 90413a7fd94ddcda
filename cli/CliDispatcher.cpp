#include "CliDispatcher.h"

#include "CliSupport.h"
#include "ConfigCommand.h"
#include "ErrorsCommand.h"
#include "ExecCommand.h"
#include "PingCommand.h"
#include "ScanCommand.h"
#include "StartCommand.h"
#include "StatsCommand.h"
#include "WatchCommand.h"

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: axocomm ping HOST:PORT [--timeout SECONDS] [--cert FILE]\n"
    "       axocomm scan HOST:PORT [--cert FILE]\n"
    "       axocomm start HOST:PORT [--level N] [--dispense POS:AMOUNT,...] [--dispenser N]\n"
    "       axocomm exec HOST:PORT COMMAND [--dispenser N | --machine N[:TYPE]] [--access LEVEL]\n"
    "                    [--param VALUE ...] [--formula POS:AMOUNT,...] [--progress auto|bar|lines]\n"
    "                    [--cert FILE]\n"
    "       axocomm watch HOST:PORT [--level N] [--json]\n"
    "       axocomm errors HOST:PORT [--machine N[:TYPE]] [--clear] [--json]\n"
    "       axocomm config get HOST:PORT [FILE] [--factory] [--driver-form]\n"
    "       axocomm config save HOST:PORT FILE\n"
    "       axocomm stats HOST:PORT QUERY [--json]\n"
    "\n"
    "  ping    tells whether the driver answers PING\n"
    "  scan    looks for the driver around its port, as a start does\n"
    "  start   starts the communication phase by phase, optionally dispenses, stops\n"
    "  exec    runs one command of the catalogue and follows it to its end\n"
    "  watch   prints every change the library signals until Ctrl-C\n"
    "  errors  lists (and clears) the machines' errors\n"
    "  config  reads or saves the machine configuration\n"
    "  stats   runs a statistics query\n"
    "\n"
    "Plain or TLS as the client settings file says. \"axocomm COMMAND --help\" tells\n"
    "more about each.\n"
    "exit status: 0 success, 1 a failure the driver or the library reported,\n"
    "2 bad usage\n";

} // namespace

QString CliDispatcher::usage()
{
    return QLatin1String(kUsage);
}

int CliDispatcher::run(const QStringList &arguments)
{
    QStringList args = arguments;
    if (args.isEmpty()) {
        std::fputs(kUsage, stderr);
        return cli::ExitUsage;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("ping"))
        return PingCommand().run(args);
    if (command == QLatin1String("scan"))
        return ScanCommand().run(args);
    if (command == QLatin1String("start"))
        return StartCommand().run(args);
    if (command == QLatin1String("exec"))
        return ExecCommand().run(args);
    if (command == QLatin1String("watch"))
        return WatchCommand().run(args);
    if (command == QLatin1String("errors"))
        return ErrorsCommand().run(args);
    if (command == QLatin1String("config"))
        return ConfigCommand().run(args);
    if (command == QLatin1String("stats"))
        return StatsCommand().run(args);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        return cli::ExitOk;
    }
    cli::printError(QStringLiteral("unknown command %1").arg(command));
    std::fputs(kUsage, stderr);
    return cli::ExitUsage;
}
