#ifndef CLISUPPORT_H
#define CLISUPPORT_H

#include <QtCore/QString>

class Formula;

// Small pieces the subcommands of axocomm share.
namespace cli {

//! Prints the message (if any) and the usage text to stderr; returns 2.
int usageError(const char *message);
//! The usage text of every subcommand.
const char *usageText();
//! "a.b.c.d:port" with a port of 1..65535.
bool parseEndpoint(const QString &text, QString *host, int *port);
//! "POS:AMOUNT,POS:AMOUNT" into a formula of one ingredient per circuit.
bool parseFormula(const QString &text, Formula &formula);
//! Milliseconds since the program started, for time stamps.
double elapsedMs();

} // namespace cli

#endif // CLISUPPORT_H
