#ifndef STATSCOMMAND_H
#define STATSCOMMAND_H

#include "CommSession.h"

#include <QtCore/QStringList>

//! "axocomm stats": runs a query of the driver's statistics end to end
//! (encrypted both ways) on the current dispenser and prints the reply as
//! the driver's table text or as JSON.
class StatsCommand
{
public:
    //! The exit status: 0 answered, 1 the driver or the library failed
    //! (a query the driver cannot run included), 2 bad usage.
    int run(const QStringList &args);

private:
    QString m_host;
    int m_port = 0;
    QString m_query;
    bool m_json = false;
    CommSession m_session;
};

#endif // STATSCOMMAND_H
