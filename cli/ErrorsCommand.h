#ifndef ERRORSCOMMAND_H
#define ERRORSCOMMAND_H

#include "CommSession.h"
#include "MachineID.h"

#include <QtCore/QList>
#include <QtCore/QStringList>

//! "axocomm errors": lists the errors of the driver's active machines (or
//! of one machine) as the driver reports them, and with --clear clears
//! them.
class ErrorsCommand
{
public:
    //! The exit status: 0 listed (and cleared), 1 the driver or the library
    //! failed, 2 bad usage.
    int run(const QStringList &args);

private:
    int parse(const QStringList &args);
    bool list(const MachineID &machine);
    bool clear(const MachineID &machine);

    QString m_host;
    int m_port = 0;
    MachineID m_machine;
    bool m_clear = false;
    bool m_json = false;
    CommSession m_session;
};

#endif // ERRORSCOMMAND_H
