#include "NEXmlRpcCircuitsProcessThread.h"

#include "AXOCommData.h"
#include "FW_DriverError.h"
#include "FW_Exception.h"
#include "GetActiveCircuitsAnswer.h"
#include "GetActiveCircuitsCmd.h"
#include "NCCommand.h"
#include "NECommand.h"
#include "NELogger.h"

namespace {

const char *const kProcessNames[CircuitProcess::Count] = {
    "None",     "Dispensing", "Recirculation", "Stirring",      "Pack",
    "ValveActive", "Reset",   "Cleaning",      "Priming",       "AirPurge",
    "CriticalLevel", "NozzleValveDX", "ReserveSensorReading", "StallLevelProc", "NozzleValveGX",
};

} // namespace

QString NEXmlRpcCircuitsProcessThread::processName(int process)
{
    if (process < 0 || process >= CircuitProcess::Count)
        return QStringLiteral("Unknown(%1)").arg(process);
    return QString::fromLatin1(kProcessNames[process]);
}

NEXmlRpcCircuitsProcessThread::NEXmlRpcCircuitsProcessThread(const NEDriverParams &driverParams,
                                                             const MachineID &machineID, QueueType queueType,
                                                             NEDriverParams::DriverThreadTypes threadType,
                                                             QObject *parent)
    : NEXmlRpcThread(driverParams, machineID, queueType, threadType, parent)
{
    connect(AXOCommData::instance(), &AXOCommData::NECommandEnqueuedSignal, this,
            &NEXmlRpcCircuitsProcessThread::NECommandEnqueuedSlot, Qt::DirectConnection);
}

NEXmlRpcCircuitsProcessThread::~NEXmlRpcCircuitsProcessThread() = default;

void NEXmlRpcCircuitsProcessThread::setCircuitProcess(int process)
{
    bool changed = false;
    {
        QMutexLocker locker(&m_processMutex);
        changed = m_process != process;
        m_process = process;
    }
    if (changed)
        setLastAnswer(nullptr);
}

CircuitProcess NEXmlRpcCircuitsProcessThread::circuitProcess() const
{
    QMutexLocker locker(&m_processMutex);
    return m_process;
}

void NEXmlRpcCircuitsProcessThread::setProcessPollingTime(int ms)
{
    QMutexLocker locker(&m_pollingTimeMutex);
    m_pollingTime = ms;
}

int NEXmlRpcCircuitsProcessThread::processPollingTime() const
{
    QMutexLocker locker(&m_pollingTimeMutex);
    return m_pollingTime;
}

void NEXmlRpcCircuitsProcessThread::setProcessNotifyOnChange(bool notify)
{
    QMutexLocker locker(&m_notifyMutex);
    m_notifyOnChange = notify;
}

bool NEXmlRpcCircuitsProcessThread::processNotifyOnChange() const
{
    QMutexLocker locker(&m_notifyMutex);
    return m_notifyOnChange;
}

void NEXmlRpcCircuitsProcessThread::setLastAnswer(const GetActiveCircuitsAnswer *answer)
{
    std::unique_ptr<GetActiveCircuitsAnswer> copy(answer ? new GetActiveCircuitsAnswer(*answer) : nullptr);
    QMutexLocker locker(&m_previousMutex);
    m_previous = std::move(copy);
}

std::unique_ptr<GetActiveCircuitsAnswer> NEXmlRpcCircuitsProcessThread::previousAnswer() const
{
    QMutexLocker locker(&m_previousMutex);
    return std::unique_ptr<GetActiveCircuitsAnswer>(m_previous ? new GetActiveCircuitsAnswer(*m_previous)
                                                               : nullptr);
}

void NEXmlRpcCircuitsProcessThread::NECommandEnqueuedSlot(NECommand)
{
}

void NEXmlRpcCircuitsProcessThread::debug(const QString &message) const
{
    NELogger *log = NELogger::instance();
    if (log->isDebugEnabled())
        log->debug(message.arg(threadInfo()));
}

void NEXmlRpcCircuitsProcessThread::run()
{
    NELogger *log = NELogger::instance();
    if (log->isDebugEnabled())
        log->debug(QStringLiteral("START thread %1 - queue type: %2").arg(threadInfo()).arg(int(queueType())));
    debug(QStringLiteral("Circuits process polling started %1"));
    PollState state = PollGood;
    while (!abortOperations()) {
        qint64 delay = kRetryDelayMs;
        try {
            delay = pollOnce(state);
        } catch (...) {
            // Whatever a receiver of the signal threw: the thread goes on.
            NELogger::instance()->error(QStringLiteral("Unexpected error in %1").arg(threadInfo()));
        }
        if (delay > 0)
            waitTimeoutAbort(delay);
    }
    debug(QStringLiteral("Circuits process polling stopped %1"));
}

std::unique_ptr<NECommand> NEXmlRpcCircuitsProcessThread::buildCommand(int process)
{
    try {
        const GetActiveCircuitsCmd query(process);
        const std::unique_ptr<GetActiveCircuitsAnswer> previous = previousAnswer();
        const NCCommand polled(&query, previous.get(), processPollingTime(), kQueryHoldMs);
        return std::unique_ptr<NECommand>(
            new NECommand(driverID(), MachineID(machineID().machineNumber, MachineID::Dispenser), &polled));
    } catch (const FW_Exception &e) {
        setError(e.error());
    } catch (...) {
        setError(FW_DriverError(QStringLiteral("An error occurred in circuits status thread in command construction"),
                                QStringLiteral("TE00467")));
    }
    return nullptr;
}

qint64 NEXmlRpcCircuitsProcessThread::pollOnce(PollState &state)
{
    const int process = circuitProcess();
    if (pauseOperations() || process == CircuitProcess::None)
        return kIdleDelayMs;
    std::unique_ptr<NECommand> command = buildCommand(process);
    const bool accepts = AXOCommData::instance()->dispenserAcceptCommands(driverID(), machineID().machineNumber);
    if (!command || !accepts || !manageCommand(command.get())) {
        if (state != PollFailed) {
            NELogger *log = NELogger::instance();
            if (log->isDebugEnabled())
                log->debug(QStringLiteral("Circuits process poll failed on %1 (acceptCommands=%2)")
                               .arg(threadInfo())
                               .arg(accepts ? 1 : 0));
            state = PollFailed;
        }
        return kRetryDelayMs;
    }
    if (pauseOperations())
        return kIdleDelayMs;
    return takeAnswer(*command, process, state);
}

qint64 NEXmlRpcCircuitsProcessThread::takeAnswer(NECommand &command, int process, PollState &state)
{
    const std::unique_ptr<GetActiveCircuitsAnswer> answer = command.answerAs<GetActiveCircuitsAnswer>();
    if (!answer) {
        if (state != PollInvalid) {
            debug(QStringLiteral("Circuits process poll returned invalid answer on %1"));
            state = PollInvalid;
        }
        setLastAnswer(nullptr);
        return kRetryDelayMs;
    }
    const std::unique_ptr<GetActiveCircuitsAnswer> previous = previousAnswer();
    const bool changed = !previous || !previous->equalTo(answer.get());
    setLastAnswer(answer.get());

    if (command.isExecuted() && (!processNotifyOnChange() || changed) && answer->circuitProcess() == process) {
        if (state != PollGood) {
            debug(QStringLiteral("Circuits process polling recovered on %1"));
            state = PollGood;
        }
        AXOCommData::instance()->NEEmitCommandExecutedSignal(command);
        return 0;
    }
    if (state == PollMismatch)
        return 0;
    if (process != CircuitProcess::None && process != answer->circuitProcess()) {
        NELogger *log = NELogger::instance();
        if (log->isDebugEnabled())
            log->debug(QStringLiteral("Circuits process mismatch on %1: polling %2, answer %3")
                           .arg(threadInfo(), processName(process), processName(answer->circuitProcess())));
        state = PollMismatch;
    }
    return 0;
}
