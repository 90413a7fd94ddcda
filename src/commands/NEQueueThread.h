#ifndef NEQUEUETHREAD_H
#define NEQUEUETHREAD_H

#include "AXOCommGlobal.h"

#include <QtCore/QList>
#include <QtCore/QMutex>
#include <QtCore/QRunnable>

class NECommand;

//! Carries commands from the caller to the driver threads and follows each
//! to its end: enqueues it, wakes the command threads, waits until its
//! status is final and emits the enqueued, sent, progress and executed
//! signals on the way. Runs in the caller's thread or on the global pool.
class AXOCOMM_EXPORT NEQueueThread : public QRunnable
{
public:
    //! With copy the worker runs on copies it owns; without, on the
    //! caller's commands, which must live until they are executed.
    NEQueueThread(const QList<NECommand *> &commands, bool copy);
    NEQueueThread(NECommand *command, bool copy);
    ~NEQueueThread() override;

    void run() override;
    //! Runs the commands one after the other. pumped: wait by running a
    //! local event loop instead of sleeping.
    bool executeCommands(bool pumped);
    void stopProcess();

    //! Workers following commands right now, in any thread.
    static int runningWorkers();

private:
    bool abort() const;

    QList<NECommand *> m_commands;
    bool m_abort = false;
    mutable QMutex m_abortMutex;
    bool m_copy;
};

#endif // NEQUEUETHREAD_H
