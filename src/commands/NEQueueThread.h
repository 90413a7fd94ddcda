#ifndef NEQUEUETHREAD_H
#define NEQUEUETHREAD_H

#include "AXOCommGlobal.h"

#include <QtCore/QList>
#include <QtCore/QMutex>
#include <QtCore/QRunnable>

class NECommand;

//! Carries commands from the caller to the driver threads and follows each
//! to its end: enqueues it, wakes the command thread of its queue, waits
//! until its status is final and emits the enqueued, sent, progress and
//! executed signals on the way. Runs in the caller's thread or on the
//! library's worker pool.
//!
//! Every command of the list ends exactly once, with its executed signal
//! (unless silent): executed (state 3) once a driver thread has finished
//! with it, or aborted (state 4, status "interrupted") when the library shuts
//! the workers down while it waits in a queue or before it was enqueued.
//! The worker returns only when none of its commands is in a queue or in a
//! driver thread any more, and the final state it writes into a command is
//! its last touch of it.
class AXOCOMM_EXPORT NEQueueThread : public QRunnable
{
public:
    //! With copy the worker runs on copies it owns; without, on the
    //! caller's commands, which must live until their state is final.
    NEQueueThread(const QList<NECommand *> &commands, bool copy);
    //! A worker for one command; copy as for a list.
    NEQueueThread(NECommand *command, bool copy);
    ~NEQueueThread() override;

    //! On a pool thread: the caller is not waiting for the commands.
    void run() override;
    //! Runs the commands one after the other. pumped: wait by running a
    //! local event loop instead of sleeping.
    bool executeCommands(bool pumped);
    //! Raises the worker's abort flag (also done by the destructor); executeCommands does not read it.
    void stopProcess();

    //! Workers following commands right now, in any thread.
    static int runningWorkers();

    //! A single short command nobody waits for, without a worker: it is
    //! enqueued from the calling thread and finished (executed signal, final
    //! state, copy deleted) by whoever ends it, normally the driver thread as
    //! it releases it. Signals and states are those of a worker's.
    static void sendDetached(NECommand *command, bool copy);

private:
    bool abort() const;
    //! Follows an enqueued command to its end; false when it was aborted.
    bool follow(NECommand *command, bool silent, bool pumped);
    //! Writes the final state and emits the executed signal, the state last
    //! when the caller owns the command and does not wait for it.
    void finish(NECommand *command, int state, bool silent);
    //! Ends the commands from index first on, which will not run.
    void endUnrun(int first);
    //! The end of a command sent by sendDetached.
    static void finishDetached(NECommand *command, bool copy, int state, bool sent);

    QList<NECommand *> m_commands;
    bool m_abort = false;
    mutable QMutex m_abortMutex;
    bool m_copy;
    bool m_detached = false;
};

#endif // NEQUEUETHREAD_H
