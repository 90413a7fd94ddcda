#ifndef SIMCONTROL_H
#define SIMCONTROL_H

#include "SimEvent.h"

#include <QtCore/QString>
#include <QtCore/QStringList>

class SimDriverModel;

//! The control command of axodriver-sim: one line changes the simulated
//! machines while the driver runs (docs/simulator.md, "Changing the machines
//! while it runs"), e.g.
//!
//!     error 1 TE30007 "Canister 7 empty"
//!     clear 1
//!     inactive 2
//!     door 2 open
//!     level 1 5 100
//!     fw 1 3.2.1
//!
//! Each line is one SimEvent, applied at once to the model. A machine is
//! named by its number, or number and type ("2:mixer") when two machines
//! share the number.
class SimControl
{
public:
    explicit SimControl(SimDriverModel &model) : m_model(model) {}

    //! The event a line stands for; invalid, and *error, for a line that is
    //! not a control command.
    static SimEvent parse(const QString &line, QString *error);
    //! Words of a line: white space separates, double quotes keep a text
    //! with spaces together (\" and \\ inside). False for an open quote.
    static bool split(const QString &line, QStringList *words);
    static QString helpText();

    //! Handles one line: "ok", "error: <why>", the help for "help", and
    //! nothing for an empty line or a comment (#).
    QString handle(const QString &line);

private:
    SimDriverModel &m_model;
};

#endif // SIMCONTROL_H
