#ifndef NEXMLRPCTHREAD_H
#define NEXMLRPCTHREAD_H

#include "AXOCommGlobal.h"
#include "MachineID.h"
#include "NEDriverParams.h"
#include "NEXmlRpcClient.h"
#include "QueueType.h"

#include <QtCore/QMutex>
#include <QtCore/QThread>
#include <QtCore/QWaitCondition>

#include <memory>

class FW_DriverError;
class FW_ErrorList;
class NECommand;

//! The worker that talks to one driver for one machine and one queue: it
//! owns its own connection, drains its command queue and runs each command
//! through the pipeline (session, call, ticket polling). Polling threads
//! derive from it and replace run().
//!
//! stopProcess() may be called from any thread: it ends waits at once and
//! cuts a call in flight short by closing the connection under it.
class AXOCOMM_EXPORT NEXmlRpcThread : public QThread
{
    Q_OBJECT

public:
    //! A thread of that kind for the driver and machine, draining queueType
    //! (when it drains one); not started. The data store makes them.
    NEXmlRpcThread(const NEDriverParams &driverParams, const MachineID &machineID, QueueType queueType,
                   NEDriverParams::DriverThreadTypes threadType, QObject *parent = nullptr);
    //! Closes the connection and waits for a caller running a command through it.
    ~NEXmlRpcThread() override;

    //! Same driver, machine and thread kind.
    bool operator==(const NEXmlRpcThread &other) const;

    //! The driver's ID.
    int driverID() const;
    //! A copy of the driver parameters the thread uses.
    NEDriverParams driverParams() const;
    //! Replaces them (the next connection uses them).
    void setDriverParams(const NEDriverParams &params);
    //! The machine the thread works for.
    MachineID machineID() const { return m_machineID; }
    //! Sets the machine.
    void setMachineID(const MachineID &machineID) { m_machineID = machineID; }
    //! The queue it drains.
    QueueType queueType() const { return m_queueType; }
    //! Sets the queue.
    void setQueueType(QueueType type) { m_queueType = type; }
    //! The thread kind.
    NEDriverParams::DriverThreadTypes threadType() const { return m_threadType; }
    //! Sets the thread kind.
    void setThreadType(NEDriverParams::DriverThreadTypes type) { m_threadType = type; }
    //! How many starts are not matched by a stop yet.
    int recursiveCounter() const { return m_recursiveCounter; }
    //! Sets that count (the thread registry does).
    void setRecursiveCounter(int counter) { m_recursiveCounter = counter; }

    //! A line for the log: kind, driver, machine and the calling thread's ID.
    QString threadInfo() const;
    //! The kind's description, e.g. "Standard commands thread".
    QString threadTypeDescr() const { return threadTypeDescr(m_threadType); }
    //! The description of a kind.
    static QString threadTypeDescr(NEDriverParams::DriverThreadTypes type);

    // Control, from any thread.
    //! Clears the abort flag before a start.
    void prepareForStart();
    //! Pauses: no commands taken, nothing polled.
    void pauseProcess() { setPauseFlag(true); }
    //! Resumes after a pause.
    void resumeProcess() { setPauseFlag(false); }
    //! Pauses or resumes.
    void setPauseFlag(bool paused);
    //! Whether it is paused.
    bool getPauseFlag() const { return pauseOperations(); }
    //! Sets the delay flag the polling loops read.
    void delayProcess(bool delay);
    //! Sets the abort flag, wakes every wait and closes the connection.
    bool stopProcess();

    // The driver connection.
    //! Opens a new connection to the driver (plain or TLS as the settings say),
    //! closing the one before; true for a slave driver.
    bool establishDriverConnection();
    //! Closes the connection; a call in flight in another thread ends at once.
    bool closeDriverConnection();
    //! Pings over this thread's connection; false without one.
    bool pingDriver(double timeoutSeconds) const;
    //! Pings; when that fails, retries (remote driver) or scans the ports
    //! around the configured one (local driver).
    bool checkDriverPort();
    //! Whether closeDriverConnection() has closed the client.
    bool connectionClosed() const;
    //! Hands the thread's client over, open or not (a probe's connection
    //! serves the driver's first commands); the thread has none afterwards.
    std::shared_ptr<NEXmlRpcClient> takeConnection();

    //! Wakes the thread when it idles: a command was put into its queue.
    void notifyCommandEnqueued();
    //! Whether a stop has been asked for (the thread may still be ending).
    bool isStopping() const { return abortOperations(); }
    //! A caller that would otherwise hand a command to this idle thread and
    //! sleep until it is done may run it through the thread's pipeline and
    //! connection itself, saving two thread hand-offs; while the thread has
    //! no connection open, the caller borrows an idle one of the driver for
    //! the command instead of opening one. Only one command runs
    //! through a thread at a time, the thread's own or a caller's: the claim
    //! fails while the thread is busy, paused, stopping or not running.
    bool tryClaimForCaller();
    //! Runs a claimed command (held, see NECommand::markTakenByThread) in
    //! the calling thread, releases it and ends the claim.
    void runClaimed(NECommand *cmd);
    //! Whether this thread type drains its command queue (types 0 to 4).
    bool drainsCommandQueue() const;

    //! Serialises session look-up and re-login among the threads of one
    //! driver; other drivers' look-ups never wait for it.
    static QMutex *sessionMutex(int driverID);

protected:
    //! The thread's loop: the kind's work until a stop.
    void run() override;

    //! Runs one command through the pipeline: session, call and, for a
    //! ticket-followed command, the polling of its ticket; false when it failed.
    bool manageCommand(NECommand *cmd);
    //! One call of the command in that session; false when it failed.
    bool executeAXOCommandCall(const QString &sessionID, NECommand *cmd) const;
    //! The session the command travels in (empty for a driver-level command);
    //! logs in again when the driver's sessions were forgotten; false, with the
    //! error, when there is none.
    bool getSession(const NECommand &cmd, QString &sessionID, FW_DriverError *error) const;

    //! One XML-RPC call over the thread's connection within the time limit;
    //! outcome says how it ended. False when it did not return a response.
    bool xmlrpc_execute(const char *method, const XmlRpc::XmlRpcValue &params, XmlRpc::XmlRpcValue &result,
                        double timeoutSeconds, NEXmlRpcExecuteResult *outcome) const;
    //! The same without the outcome.
    bool xmlrpc_execute(const char *method, const XmlRpc::XmlRpcValue &params, XmlRpc::XmlRpcValue &result,
                        double timeoutSeconds) const;

    //! A stop was asked for.
    bool abortOperations() const;
    //! The thread is paused.
    bool pauseOperations() const;
    //! The delay flag (delayProcess()).
    bool delayOperations() const;
    //! Sets the stop flag.
    void setAbort(bool abort);
    //! Sleeps at most ms on the thread's wait condition; a stop ends it.
    void waitTimeoutAbort(qint64 ms) const;
    //! Reports an error of this thread's machine to the data store.
    void setError(const FW_DriverError &error) const;

private:
    //! Longest sleep of an idle command thread between two looks at its queue.
    static constexpr unsigned long kIdleWaitMs = 2000;
    //! Stack of every driver thread. Its deepest use is a response nested
    //! XmlRpcValue::MaxNestingDepth levels deep; the process default (often
    //! 8 MiB) would keep the C library from reusing the stacks of ended
    //! threads, and a start creates about a dozen.
    static constexpr uint kStackSize = 1024 * 1024;
    //! For a claimed command: puts an idle connection of the driver in
    //! place of the thread's own when that one is not open; gives back the
    //! lent one (null when none was lent) and stores the thread's own in own.
    std::shared_ptr<NEXmlRpcClient> borrowConnection(std::shared_ptr<NEXmlRpcClient> *own);
    //! Puts the thread's own client back and the lent one into the driver's
    //! idle connections, unless a stop closed it meanwhile.
    void giveBackConnection(const std::shared_ptr<NEXmlRpcClient> &lent, const std::shared_ptr<NEXmlRpcClient> &own);

    bool failCommand(NECommand *cmd, const char *code, const QString &message) const;
    //! executeAXOCommandCall; with staleSession given, an answer that says
    //! the driver does not know the session is reported there instead of
    //! being recorded in the command.
    bool executeCall(const QString &sessionID, NECommand *cmd, bool *staleSession) const;
    bool pollTicket(NECommand *cmd, const QString &sessionID);
    bool failSession(NECommand *cmd, const FW_DriverError &error) const;
    //! Logs the driver in again when it holds no session for it at all.
    bool relogin(const NECommand &cmd, QString &sessionID) const;
    //! The loop of the command threads.
    void drainQueue();
    std::shared_ptr<NEXmlRpcClient> client() const;

    bool m_pause = false;
    mutable QMutex m_pauseMutex;
    bool m_delay = false;
    mutable QMutex m_delayMutex;

    // The client pointer has its own small lock so that stopProcess() can
    // close the connection while a call (which holds m_clientMutex) runs.
    std::shared_ptr<NEXmlRpcClient> m_client;
    mutable QMutex m_clientPointerMutex;

    NEDriverParams m_driverParams;
    mutable QMutex m_paramsMutex;
    MachineID m_machineID;
    QueueType m_queueType;
    NEDriverParams::DriverThreadTypes m_threadType;
    int m_recursiveCounter = 0;
    mutable QMutex m_clientMutex;
    bool m_abort = false;
    mutable QMutex m_abortMutex;
    mutable QWaitCondition m_waitCondition;
    bool m_connectionClosed = false;
    //! Held while a command runs through this thread, by the thread or by a
    //! caller that claimed it.
    QMutex m_runMutex;
    //! Set (under m_abortMutex) when a command was enqueued for this thread.
    bool m_workPending = false;
};

#endif // NEXMLRPCTHREAD_H
