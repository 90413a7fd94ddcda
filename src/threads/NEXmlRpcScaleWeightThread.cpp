#include "NEXmlRpcScaleWeightThread.h"

#include "AXOCommData.h"
#include "FW_Configuration.h"
#include "FW_Dispenser.h"
#include "FW_DriverError.h"
#include "FW_Exception.h"
#include "NECommand.h"
#include "NEDispCommand.h"
#include "NELogger.h"
#include "ScaleStatusAnswer.h"
#include "WeightAnswer.h"

struct NEXmlRpcScaleWeightThread::Receiver
{
    QMutex mutex;
    NEXmlRpcScaleWeightThread *thread = nullptr; // null once the thread object goes
};

qint64 NEXmlRpcScaleWeightThread::parseInterval(const QString &text)
{
    bool ok = false;
    const qint64 ms = text.trimmed().toLongLong(&ok, 10);
    return ok && ms > 0 ? ms : kDefaultIntervalMs;
}

NEXmlRpcScaleWeightThread::NEXmlRpcScaleWeightThread(const NEDriverParams &driverParams,
                                                     const MachineID &machineID, QueueType queueType,
                                                     NEDriverParams::DriverThreadTypes threadType, QObject *parent)
    : NEXmlRpcThread(driverParams, machineID, queueType, threadType, parent),
      m_interval(parseInterval(qEnvironmentVariable(kIntervalVariable, QStringLiteral("1000")))),
      m_receiver(std::make_shared<Receiver>())
{
    m_receiver->thread = this;
    const std::shared_ptr<Receiver> receiver = m_receiver;
    const int ownDriver = driverID();
    m_configConnection = connect(
        AXOCommData::instance(), &AXOCommData::NEConfigurationChanged, this,
        [receiver, ownDriver](int driverID) {
            if (driverID != ownDriver)
                return;
            QMutexLocker locker(&receiver->mutex);
            if (receiver->thread)
                receiver->thread->setReconfigure(true);
        },
        Qt::DirectConnection);
}

NEXmlRpcScaleWeightThread::~NEXmlRpcScaleWeightThread()
{
    QObject::disconnect(m_configConnection);
    QMutexLocker locker(&m_receiver->mutex);
    m_receiver->thread = nullptr;
}

void NEXmlRpcScaleWeightThread::setPollingInterval(qint64 ms)
{
    QMutexLocker locker(&m_intervalMutex);
    m_interval = ms;
}

qint64 NEXmlRpcScaleWeightThread::pollingInterval() const
{
    QMutexLocker locker(&m_intervalMutex);
    return m_interval;
}

void NEXmlRpcScaleWeightThread::setReconfigure(bool reconfigure)
{
    QMutexLocker locker(&m_reconfigureMutex);
    m_reconfigure = reconfigure;
}

bool NEXmlRpcScaleWeightThread::takeReconfigure()
{
    QMutexLocker locker(&m_reconfigureMutex);
    const bool reconfigure = m_reconfigure;
    m_reconfigure = false;
    return reconfigure;
}

void NEXmlRpcScaleWeightThread::run()
{
    NELogger *log = NELogger::instance();
    if (log->isDebugEnabled())
        log->debug(QStringLiteral("START thread %1 - queue type: %2").arg(threadInfo()).arg(int(queueType())));
    std::unique_ptr<NECommand> command;
    try {
        command.reset(new NECommand(driverID(), machineID(), QStringLiteral("GET_CURRENT_WEIGHT")));
    } catch (const FW_Exception &e) {
        setError(e.error());
    } catch (...) {
        setError(FW_DriverError(QStringLiteral("An error occurred in current scale weight command construction"),
                                QStringLiteral("TE00448")));
    }
    reconfigure();
    while (!abortOperations()) {
        const qint64 interval = pollingInterval();
        if (delayOperations()) {
            delayProcess(false);
            waitTimeoutAbort(interval);
        }
        if (!pauseOperations() && interval > 0 && command)
            pollWeight(command.get());
        if (takeReconfigure())
            reconfigure();
        waitTimeoutAbort(interval > 0 ? interval : kDefaultIntervalMs);
    }
}

void NEXmlRpcScaleWeightThread::pollWeight(NECommand *command)
{
    AXOCommData *store = AXOCommData::instance();
    const int dispID = machineID().machineNumber;
    command->clearProtoAnswer();
    if (!manageCommand(command)) {
        store->setWeightAnswer(driverID(), dispID, nullptr);
        return;
    }
    if (!command->isExecuted())
        return;
    // A poll the driver refused (no scale, scale out of service) tells as
    // much as one that got no answer: the stored weight is gone.
    const std::unique_ptr<WeightAnswer> answer = command->answerAs<WeightAnswer>();
    if (!answer)
        store->setWeightAnswer(driverID(), dispID, nullptr);
    else if (!pauseOperations())
        store->setWeightAnswer(driverID(), dispID, answer.get());
}

void NEXmlRpcScaleWeightThread::reconfigure()
{
    const FW_Configuration configuration = AXOCommData::instance()->getSharedConfiguration(driverID());
    const int dispID = machineID().machineNumber;
    const FW_Dispenser *dispenser =
        configuration.numOfDispensers(false) > 0 ? configuration.getDispenserById(dispID) : nullptr;
    const bool runs = dispenser && dispenser->hasGravimetricSwDosingMotors() && dispenser->hasScale()
        && scalePresent();
    setPauseFlag(!runs);
    // A scale no longer followed keeps no weight in the store.
    if (!runs)
        AXOCommData::instance()->setWeightAnswer(driverID(), dispID, nullptr);
}

bool NEXmlRpcScaleWeightThread::scalePresent()
{
    std::unique_ptr<NEDispCommand> status;
    try {
        status.reset(new NEDispCommand(driverID(), machineID().machineNumber, QStringLiteral("GET_SCALE_STATUS")));
    } catch (const FW_Exception &e) {
        setError(e.error());
        return false;
    } catch (...) {
        setError(FW_DriverError(QStringLiteral("An error occurred in scale status command construction"),
                                QStringLiteral("TE00449")));
        return false;
    }
    if (!manageCommand(status.get()) || !status->isExecuted())
        return false;
    const std::unique_ptr<ScaleStatusAnswer> answer = status->answerAs<ScaleStatusAnswer>();
    return answer && answer->isPresent();
}
