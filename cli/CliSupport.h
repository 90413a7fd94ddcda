#ifndef CLISUPPORT_H
#define CLISUPPORT_H

#include <QtCore/QJsonObject>
#include <QtCore/QJsonValue>
#include <QtCore/QString>
#include <QtCore/QVariant>

class Formula;
class FW_ErrorList;
struct MachineID;

// Small pieces the subcommands of axocomm share.
namespace cli {

//! The exit statuses of every subcommand.
enum ExitStatus {
    ExitOk = 0,     //!< success
    ExitFailed = 1, //!< a failure the driver or the library reported
    ExitUsage = 2,  //!< bad usage
    Proceed = -1    //!< not an exit status: the command line is good, go on
};

//! "a.b.c.d:port" with a port of 1..65535.
bool parseEndpoint(const QString &text, QString *host, int *port);
//! "POS:AMOUNT,POS:AMOUNT" into a formula of one ingredient per circuit.
bool parseFormula(const QString &text, Formula &formula);
//! "N" (a dispenser) or "N:dispenser|mixer|scale"; number above 0.
bool parseMachine(const QString &text, MachineID *machine);
//! The Qt form of a JSON value, whole numbers as int (the typed commands
//! and the configuration want int members).
QVariant variantFromJson(const QJsonValue &value);
//! "dispenser 1", "mixer 2", or "driver" for number 0.
QString machineText(const MachineID &id);
//! Milliseconds since the program started, for time stamps.
double elapsedMs();
//! One line on stdout, flushed.
void printLine(const QString &text);
//! "[   12.3 ms] text" on stdout, flushed.
void printStamped(const QString &text);
//! One line on stderr, after "axocomm: ".
void printError(const QString &text);
//! The object as one compact line of JSON on stdout, flushed.
void printJson(const QJsonObject &object);
//! The error records, one "error CODE - message" line each.
void printErrors(const FW_ErrorList &errors, const QString &indent = QString());
//! The local time of day with milliseconds, and its ISO 8601 form.
QString clockTime();
QString isoTime();

} // namespace cli

#endif // CLISUPPORT_H
