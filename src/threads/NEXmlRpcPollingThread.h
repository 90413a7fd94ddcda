#ifndef NEXMLRPCPOLLINGTHREAD_H
#define NEXMLRPCPOLLINGTHREAD_H

#include "FW_DriverError.h"
#include "NCCommand.h"
#include "NEXmlRpcThread.h"

#include <memory>

class NECommand;
class ProtoAnswer;

//! A driver thread that keeps one piece of driver-side state fresh with
//! notify-changed queries instead of draining a command queue: the driver
//! holds each query until its answer differs from the previous one, and an
//! answer that differs is handed to the application through the data
//! store's command-executed signal. The loop never writes into the store
//! itself.
//!
//! Subclasses say what to ask and what to accept through the hooks; the
//! loop, its pacing and its waits (all ended at once by stopProcess) live
//! here. Everything the loop keeps (the command, the previous answer) is
//! touched only by the thread itself.
class AXOCOMM_EXPORT NEXmlRpcPollingThread : public NEXmlRpcThread
{
    Q_OBJECT

public:
    //! The driver's re-check interval and longest hold of every query, ms.
    static constexpr int kPollInterval = 500;
    //! Longest the driver holds a query before answering, ms.
    static constexpr int kPollHold = 10000;

    //! A polling thread of that driver, machine, queue and thread type.
    NEXmlRpcPollingThread(const NEDriverParams &driverParams, const MachineID &machineID, QueueType queueType,
                          NEDriverParams::DriverThreadTypes threadType, QObject *parent = nullptr);
    //! Destroys the thread with its command and previous answer.
    ~NEXmlRpcPollingThread() override;

protected:
    //! Runs the notify-changed loop until stopped; drops the command and previous answer on return.
    void run() override;

    //! The notify-changed loop; returns once a stop was asked for.
    void pollChanges();

    //! The query for the next poll, carrying the previous answer (null on
    //! the first poll or after a missing answer). May throw.
    virtual NCCommand makeQuery(const ProtoAnswer *previous) const = 0;
    //! Reported when building the query throws something other than an
    //! FW_Exception.
    virtual FW_DriverError queryConstructionError() const = 0;
    //! Whether the answer is of the class this thread polls for.
    virtual bool acceptsAnswer(const ProtoAnswer &answer) const = 0;
    //! Whether a new answer counts as unchanged; by default when it equals
    //! the previous one.
    virtual bool sameAnswer(const ProtoAnswer &previous, const ProtoAnswer &answer) const;
    //! False to skip this poll's call; the poll then counts as failed.
    virtual bool mayPoll() const { return true; }
    //! After a failed poll, before the pause that follows it. The command
    //! (null when none could be built yet) holds the failure.
    virtual void pollFailed(NECommand *command);

    //! Replaces the answer the next query carries (null: none).
    void setPreviousAnswer(std::unique_ptr<ProtoAnswer> answer);

    //! Pause after a failed or empty poll, and between checks while paused.
    static constexpr qint64 kRetryDelayMs = 1000;
    //! Pause between checks while the thread is paused, ms.
    static constexpr qint64 kPausedDelayMs = 200;

private:
    //! One poll; how long to wait before the next, ms.
    qint64 pollOnce();
    //! Rebuilds the command for the next poll; on failure reports the error
    //! and keeps the command held so far.
    void rebuildCommand();
    //! Compares the answer of a successful poll with the previous one and
    //! signals it when it changed; false when the answer is missing or of
    //! another class.
    bool takeAnswer();

    std::unique_ptr<NECommand> m_command;
    std::unique_ptr<ProtoAnswer> m_previous;
};

#endif // NEXMLRPCPOLLINGTHREAD_H
