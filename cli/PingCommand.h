#ifndef PINGCOMMAND_H
#define PINGCOMMAND_H

#include <QtCore/QStringList>

//! "axocomm ping": sends PING to a driver and tells whether it answered.
class PingCommand
{
public:
    //! The exit status: 0 the driver answered, 1 it did not, 2 bad usage.
    int run(const QStringList &args);
};

#endif // PINGCOMMAND_H
