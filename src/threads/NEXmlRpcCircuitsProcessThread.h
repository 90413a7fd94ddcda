#ifndef NEXMLRPCCIRCUITSPROCESSTHREAD_H
#define NEXMLRPCCIRCUITSPROCESSTHREAD_H

#include "CircuitProcess.h"
#include "NEXmlRpcThread.h"

#include <QtCore/QMutex>

#include <memory>

class GetActiveCircuitsAnswer;
class NECommand;

//! Follows a circuit process of one dispenser (dispensing, recirculation...)
//! while it runs: it polls "GET_ACTIVE_CIRCUITS" for the process the store
//! set, with notify-changed queries, and hands each accepted answer to the
//! application through the store's command-executed signal. It idles while
//! no process is set. The process, the driver's polling time and whether
//! only changed answers count may be changed from any thread.
class AXOCOMM_EXPORT NEXmlRpcCircuitsProcessThread : public NEXmlRpcThread
{
    Q_OBJECT

public:
    //! The log name of a process number ("Unknown(%1)" for one not known).
    static QString processName(int process);

    //! A thread of that driver, machine, queue and thread type; no process set.
    NEXmlRpcCircuitsProcessThread(const NEDriverParams &driverParams, const MachineID &machineID,
                                  QueueType queueType, NEDriverParams::DriverThreadTypes threadType,
                                  QObject *parent = nullptr);
    ~NEXmlRpcCircuitsProcessThread() override;

    //! Sets the process to follow; a different one than before forgets the
    //! previous answer.
    void setCircuitProcess(int process);
    //! The process followed; None while idle.
    CircuitProcess circuitProcess() const;
    //! The re-check interval the driver uses for the query, ms.
    void setProcessPollingTime(int ms);
    //! The re-check interval the driver uses for the query, ms.
    int processPollingTime() const;
    //! With true only answers that differ from the previous one are signalled.
    void setProcessNotifyOnChange(bool notify);
    //! Whether only answers that differ from the previous one are signalled.
    bool processNotifyOnChange() const;
    //! Replaces the previous answer by a copy (null: none).
    void setLastAnswer(const GetActiveCircuitsAnswer *answer);

public slots:
    //! Enqueued commands do not concern this thread.
    void NECommandEnqueuedSlot(NECommand command);

protected:
    //! Polls until stopped; idles while no process is set.
    void run() override;

private:
    //! Outcome of the last poll, for logging each change once.
    enum PollState { PollGood = 0, PollFailed = 1, PollInvalid = 2, PollMismatch = 3 };

    //! One poll; how long to wait before the next, ms.
    qint64 pollOnce(PollState &state);
    //! Takes the answer of an executed poll; how long to wait, ms.
    qint64 takeAnswer(NECommand &command, int process, PollState &state);
    std::unique_ptr<NECommand> buildCommand(int process);
    std::unique_ptr<GetActiveCircuitsAnswer> previousAnswer() const;
    void debug(const QString &message) const;

    static constexpr qint64 kIdleDelayMs = 200;
    static constexpr qint64 kRetryDelayMs = 1000;
    static constexpr int kQueryHoldMs = 1000;

    std::unique_ptr<GetActiveCircuitsAnswer> m_previous;
    mutable QMutex m_previousMutex;
    int m_process = CircuitProcess::None;
    mutable QMutex m_processMutex;
    int m_pollingTime = 500;
    mutable QMutex m_pollingTimeMutex;
    bool m_notifyOnChange = false;
    mutable QMutex m_notifyMutex;
};

#endif // NEXMLRPCCIRCUITSPROCESSTHREAD_H
