#include "NEXmlRpcPollingThread.h"

#include "AXOCommData.h"
#include "FW_Exception.h"
#include "NECommand.h"
#include "NELogger.h"
#include "ProtoAnswer.h"

NEXmlRpcPollingThread::NEXmlRpcPollingThread(const NEDriverParams &driverParams, const MachineID &machineID,
                                             QueueType queueType, NEDriverParams::DriverThreadTypes threadType,
                                             QObject *parent)
    : NEXmlRpcThread(driverParams, machineID, queueType, threadType, parent)
{
}

NEXmlRpcPollingThread::~NEXmlRpcPollingThread() = default;

void NEXmlRpcPollingThread::run()
{
    NELogger *log = NELogger::instance();
    if (log->isDebugEnabled())
        log->debug(QStringLiteral("START thread %1 - queue type: %2")
                       .arg(threadInfo())
                       .arg(static_cast<int>(queueType())));
    pollChanges();
    // What the loop kept goes with the run: a restarted thread starts
    // without a previous answer, and the command (a QObject of this thread)
    // is deleted in the thread that made it.
    m_command.reset();
    m_previous.reset();
}

void NEXmlRpcPollingThread::pollChanges()
{
    m_command.reset();
    m_previous.reset();
    while (!abortOperations()) {
        qint64 delay = kRetryDelayMs;
        try {
            delay = pollOnce();
        } catch (...) {
            // Whatever a receiver of the signal threw: the thread goes on.
            NELogger::instance()->error(QStringLiteral("Unexpected error in %1").arg(threadInfo()));
        }
        // After an answer the next query goes out at once: the driver holds
        // it until something changes.
        if (delay > 0)
            waitTimeoutAbort(delay);
    }
}

qint64 NEXmlRpcPollingThread::pollOnce()
{
    if (pauseOperations())
        return kPausedDelayMs;
    rebuildCommand();
    if (!mayPoll() || !manageCommand(m_command.get())) {
        pollFailed(m_command.get());
        return kRetryDelayMs;
    }
    // An answer that arrives while paused is dropped: the query is asked
    // again once the pause ends.
    if (pauseOperations())
        return kPausedDelayMs;
    return takeAnswer() ? 0 : kRetryDelayMs;
}

void NEXmlRpcPollingThread::rebuildCommand()
{
    try {
        const NCCommand query = makeQuery(m_previous.get());
        m_command.reset(new NECommand(driverID(), machineID(), &query));
    } catch (const FW_Exception &e) {
        setError(e.error());
    } catch (...) {
        setError(queryConstructionError());
    }
}

bool NEXmlRpcPollingThread::takeAnswer()
{
    std::unique_ptr<ProtoAnswer> answer = m_command->getProtoAnswer();
    if (!answer || !acceptsAnswer(*answer)) {
        // The next query carries no previous answer, so whatever comes next
        // counts as new.
        m_previous.reset();
        return false;
    }
    const bool same = m_previous && sameAnswer(*m_previous, *answer);
    m_previous = std::move(answer);
    if (m_command->isExecuted() && !same)
        AXOCommData::instance()->NEEmitCommandExecutedSignal(*m_command);
    return true;
}

bool NEXmlRpcPollingThread::sameAnswer(const ProtoAnswer &previous, const ProtoAnswer &answer) const
{
    return previous.equalTo(&answer);
}

void NEXmlRpcPollingThread::pollFailed(NECommand *)
{
}

void NEXmlRpcPollingThread::setPreviousAnswer(std::unique_ptr<ProtoAnswer> answer)
{
    m_previous = std::move(answer);
}
