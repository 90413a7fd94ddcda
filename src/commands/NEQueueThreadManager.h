#ifndef NEQUEUETHREADMANAGER_H
#define NEQUEUETHREADMANAGER_H

#include "AXOCommGlobal.h"

#include <QtCore/QList>

class NECommand;

class QThreadPool;

//! The two ways of running a queue worker: in the calling thread until the
//! commands are final, or on the library's own worker pool.
//!
//! A pool worker sleeps while its command runs, which may be minutes for a
//! dispensing command, so the pool grows whenever every thread is taken: a
//! command sent while any number of long ones are in flight reaches its
//! queue at once. Idle pool threads end after a while.
class AXOCOMM_EXPORT NEQueueThreadManager
{
public:
    NEQueueThreadManager() = default;
    ~NEQueueThreadManager() = default;

    //! Runs the command in the calling thread; its errors go to the store.
    static bool execCommand(NECommand *command);
    //! Runs the commands one after the other in the calling thread.
    static bool execCommands(const QList<NECommand *> &commands);
    //! Starts a worker on the worker pool and returns at once.
    bool sendCommand(NECommand *command, bool copy);
    //! Starts one worker for the commands on the worker pool and returns at once (always true).
    bool sendCommands(const QList<NECommand *> &commands, bool copy);

    //! The pool non-blocking workers run on (not Qt's global pool, which the
    //! host application may fill with work of its own).
    static QThreadPool *workerPool();
};

#endif // NEQUEUETHREADMANAGER_H
