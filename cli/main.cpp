// axocomm: the library from a shell. Each subcommand has its class; see
// docs/cli.md.

#include "CliDispatcher.h"
#include "CliSupport.h"
#include "SignalWatcher.h"

#include <QtCore/QCoreApplication>

int main(int argc, char *argv[])
{
    cli::elapsedMs(); // time stamps count from here
    QCoreApplication app(argc, argv);
    SignalWatcher signalWatcher;
    return CliDispatcher().run(QCoreApplication::arguments().mid(1));
}
