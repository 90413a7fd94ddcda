#include "CliSupport.h"

#include "AXODriverConnection.h"
#include "ChannelIngredient.h"
#include "Formula.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QStringList>

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: axocomm ping HOST:PORT [--timeout SECONDS] [--cert FILE]\n"
    "       axocomm exec HOST:PORT COMMAND [--dispenser N] [--formula POS:AMOUNT,...] [--cert FILE]\n"
    "       axocomm start HOST:PORT [--level N] [--dispense POS:AMOUNT,...] [--dispenser N]\n"
    "\n"
    "  ping   sends PING to the driver at HOST:PORT (an IPv4 address) and tells\n"
    "         whether it answered. Plain or TLS as the client settings file says\n"
    "         (AXOServiceUSEOPENSSL); with TLS and no --cert, the certificate\n"
    "         built into the library is used.\n"
    "\n"
    "  exec   runs one command of the catalogue on the driver and follows it to\n"
    "         its end: with --dispenser the machine is logged in and the command\n"
    "         addressed to it; TINT takes its formula from --formula (circuit\n"
    "         position and amount in cc per ingredient).\n"
    "\n"
    "  start  starts the communication with the driver the way a service\n"
    "         application does (communication level 0, 1 or 2, default 2; mixers\n"
    "         managed), printing each phase as it happens and the machines found;\n"
    "         with --dispense it then dispenses the formula on the current\n"
    "         dispenser (or --dispenser N), following its progress per circuit,\n"
    "         and stops the communication again.\n"
    "\n"
    "  --timeout SECONDS   time limit of the call (default 5)\n"
    "  --cert FILE         PEM file with the certificate authority of the driver\n"
    "\n"
    "exit status: 0 the driver answered (exec, start: the command or start\n"
    "succeeded), 1 it did not, 2 bad arguments\n";

QElapsedTimer &startClock()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer;
}

} // namespace

namespace cli {

const char *usageText()
{
    return kUsage;
}

int usageError(const char *message)
{
    if (message)
        std::fprintf(stderr, "axocomm: %s\n", message);
    std::fputs(kUsage, stderr);
    return 2;
}

bool parseEndpoint(const QString &text, QString *host, int *port)
{
    return AXODriverConnection::decodeConnString(text, host, port) && *port > 0 && *port <= 65535;
}

// "POS:AMOUNT,POS:AMOUNT" into a formula of one ingredient per circuit.
bool parseFormula(const QString &text, Formula &formula)
{
    QList<ChannelIngredient> ingredients;
    for (const QString &item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(QLatin1Char(':'));
        bool positionOk = false;
        bool amountOk = false;
        const int position = parts.value(0).toInt(&positionOk);
        const double amount = parts.value(1).toDouble(&amountOk);
        if (parts.size() != 2 || !positionOk || !amountOk || position < 1 || amount <= 0.0)
            return false;
        ingredients.append(ChannelIngredient(position, QString(), amount)); // the circuit's own colorant
    }
    formula = Formula(ingredients, Formula::CheckLevels, 4);
    return !ingredients.isEmpty();
}

double elapsedMs()
{
    return static_cast<double>(startClock().nsecsElapsed()) / 1e6;
}

} // namespace cli
