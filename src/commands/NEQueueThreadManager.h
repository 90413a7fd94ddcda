#ifndef NEQUEUETHREADMANAGER_H
#define NEQUEUETHREADMANAGER_H

#include "AXOCommGlobal.h"

#include <QtCore/QList>

class NECommand;

//! The two ways of running a queue worker: in the calling thread until the
//! commands are final, or on Qt's global thread pool.
class AXOCOMM_EXPORT NEQueueThreadManager
{
public:
    NEQueueThreadManager() = default;
    ~NEQueueThreadManager() = default;

    //! Runs the command in the calling thread; its errors go to the store.
    static bool execCommand(NECommand *command);
    static bool execCommands(const QList<NECommand *> &commands);
    //! Starts a worker on the global pool and returns at once.
    bool sendCommand(NECommand *command, bool copy);
    bool sendCommands(const QList<NECommand *> &commands, bool copy);
};

#endif // NEQUEUETHREADMANAGER_H
