#ifndef SCANCOMMAND_H
#define SCANCOMMAND_H

#include <QtCore/QStringList>

//! "axocomm scan": looks for a driver the way the communication manager
//! probes one before a start: at its port and, for a driver on this host,
//! on the ten ports around it (five below to four above); a driver on
//! another host is tried three times.
class ScanCommand
{
public:
    //! The exit status: 0 a driver answered, 1 none did, 2 bad usage.
    int run(const QStringList &args);
};

#endif // SCANCOMMAND_H
