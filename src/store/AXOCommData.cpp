#include "AXOCommData.h"

#include "MachineDriverStatusAnswer.h"
#include "NECmdManager.h"
#include "NECommand.h"
#include "NECommandQueue.h"
#include "NECommandQueueManager.h"
#include "NEDriverData.h"
#include "NELogger.h"
#include "NEMachineData.h"
#include "NEQueueThread.h"
#include "NEQueueThreadManager.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QThread>
#include <QtCore/QThreadPool>
#include "NEDriverThreadRegistry.h"
#include "NEXmlRpcClientPool.h"
#include "NEXmlRpcCircuitsProcessThread.h"
#include "NEXmlRpcThread.h"


#include <algorithm>
#include <functional>

AXOCommData *AXOCommData::m_Instance = nullptr;

namespace {
QMutex s_instanceMutex;
}

AXOCommData::AXOCommData(QObject *parent)
    : QObject(parent), m_queueManager(new NECommandQueueManager()), m_queueThreadManager(new NEQueueThreadManager()),
      m_clientPool(new NEXmlRpcClientPool()), m_threads(new NEDriverThreadRegistry(this)),
      m_clientID(QStringLiteral("default"))
{
    qRegisterMetaType<NECommand>("NECommand");
    qRegisterMetaType<MachineID>("MachineID");
    qRegisterMetaType<AXOCommData::CommandEvent>("AXOCommData::CommandEvent");
}

AXOCommData::~AXOCommData()
{
    // Workers still following commands use the store: they must see the
    // abort and leave first, and the commands they follow must end, which
    // the stopped threads see to (a stop ends any call in flight).
    stopAllQueueThreads();
    m_threads->stopAll();
    removeAllCommandQueues(-1);
    QElapsedTimer workers;
    workers.start();
    while (NEQueueThread::runningWorkers() > 0 && workers.elapsed() < 5000)
        QThread::msleep(2);
    NEQueueThreadManager::workerPool()->waitForDone(1000);
    m_threads->deleteEnded(5000);
    m_threads.reset();
    m_queueManager.reset();
    m_cmdManager.reset();
}

AXOCommData *AXOCommData::instance()
{
    QMutexLocker locker(&s_instanceMutex);
    if (!m_Instance)
        m_Instance = new AXOCommData();
    return m_Instance;
}

void AXOCommData::drop()
{
    // The instance stays reachable while it winds down: its threads and
    // workers may still ask for it until they have ended.
    static QMutex dropMutex;
    QMutexLocker dropping(&dropMutex);
    AXOCommData *dying = nullptr;
    {
        QMutexLocker locker(&s_instanceMutex);
        dying = m_Instance;
    }
    delete dying;
    QMutexLocker locker(&s_instanceMutex);
    if (m_Instance == dying)
        m_Instance = nullptr;
}

QString AXOCommData::clientID() const
{
    QMutexLocker locker(&m_sessionMutex);
    return m_clientID;
}

void AXOCommData::setClientID(const QString &clientID)
{
    if (clientID.isEmpty())
        return;
    QMutexLocker locker(&m_sessionMutex);
    m_clientID = clientID;
}

// ---------------------------------------------------------------- drivers

QList<int> AXOCommData::getDriverIDs() const
{
    QMutexLocker locker(&m_paramMutex);
    QList<int> ids;
    for (const NEDriverParams &params : m_driverParams)
        ids.append(params.driverID());
    std::sort(ids.begin(), ids.end());
    return ids;
}

QList<QPair<int, DriverTypes>> AXOCommData::getDrivers() const
{
    QMutexLocker locker(&m_paramMutex);
    QList<QPair<int, DriverTypes>> drivers;
    for (const NEDriverParams &params : m_driverParams)
        drivers.append(qMakePair(params.driverID(), params.driverType()));
    return drivers;
}

int AXOCommData::getDriverType(int driverID) const
{
    QMutexLocker locker(&m_paramMutex);
    bool found = false;
    const NEDriverParams params = m_driverParams.getDriverParamsForDriver(driverID, &found);
    return found ? params.driverType() : -1;
}

NEDriverParams AXOCommData::getDriverParamsForDriver(int driverID, bool *found) const
{
    QMutexLocker locker(&m_paramMutex);
    return m_driverParams.getDriverParamsForDriver(driverID, found);
}

NEDriverParamsList AXOCommData::getDriverParamsList() const
{
    QMutexLocker locker(&m_paramMutex);
    return m_driverParams;
}

bool AXOCommData::setDriverParamsForDriver(int driverID, const NEDriverParams &params)
{
    QMutexLocker locker(&m_paramMutex);
    return m_driverParams.setDriverParamsForDriver(driverID, params);
}

void AXOCommData::setDriverParamsList(const NEDriverParamsList &list)
{
    {
        QMutexLocker locker(&m_paramMutex);
        m_driverParams = list;
    }
    QMutexLocker dataLocker(&m_dataMutex);
    m_driverData.update(getDriverIDs());
}

bool AXOCommData::isDriverLocalhost(int driverID, bool *found) const
{
    bool exists = false;
    const NEDriverParams params = getDriverParamsForDriver(driverID, &exists);
    if (found)
        *found = exists;
    return exists && params.ipAddress() == QLatin1String("127.0.0.1");
}

int AXOCommData::getNextDriverID() const
{
    const QList<int> ids = getDriverIDs();
    return ids.isEmpty() ? 1 : ids.last() + 1;
}

void AXOCommData::addDriverParams(const NEDriverParams &params)
{
    // A driver's start: commands run again after an earlier shut-down.
    resetQueueThreadsAbort();
    NEDriverParamsList list = getDriverParamsList();
    list.appendNEDriverParams(params);
    setDriverParamsList(list);
}

bool AXOCommData::removeDriverParamsForDriver(int driverID)
{
    QMutexLocker locker(&m_paramMutex);
    return m_driverParams.removeNEDriverParamsForDriver(driverID);
}

bool AXOCommData::removeDriverData(int driverID)
{
    QMutexLocker locker(&m_dataMutex);
    return m_driverData.removeDriverData(driverID);
}

bool AXOCommData::checkDriverConnection(NEDriverParams &params)
{
    NEXmlRpcThread probe(params, MachineID(0, MachineID::Dispenser), StandardQueue,
                         NEDriverParams::StandardCommandsThread);
    bool answered = probe.checkDriverPort();
    if (answered) {
        const NEDriverParams found = probe.driverParams();
        if (found != params || found.port() != params.port())
            params = found;
        // The driver's first commands follow at once: they take this
        // connection rather than each open one of their own.
        instance()->clientPool()->giveBack(params.driverID(), probe.takeConnection());
    }
    probe.closeDriverConnection();
    return answered;
}

bool AXOCommData::checkDriverConnections()
{
    NEDriverParamsList list = getDriverParamsList();
    bool anyAnswered = false;
    bool changed = false;
    for (int i = 0; i < list.numOfDrivers(); ++i) {
        NEDriverParams params = list.at(i);
        const NEDriverParams before = params;
        if (!checkDriverConnection(params))
            continue;
        anyAnswered = true;
        if (params != before || params.port() != before.port()) {
            list.replaceParams(i, params);
            changed = true;
        }
    }
    if (changed)
        setDriverParamsList(list);
    return anyAnswered;
}

void AXOCommData::updateMachineDataList(int driverID, const QList<MachineID> &ids, MachineID::SerialDeviceType type)
{
    QMutexLocker locker(&m_dataMutex);
    m_driverData.updateMachineIDs(driverID, ids, type);
}

// ---------------------------------------------------------------- sessions

bool AXOCommData::appendSession(const Session &session)
{
    QMutexLocker locker(&m_sessionMutex);
    for (const Session &s : qAsConst(m_sessions))
        if (s.driverID() == session.driverID() && s.machineID() == session.machineID())
            return false;
    m_sessions.append(session);
    return true;
}

bool AXOCommData::existSession(int driverID, const MachineID &machineID) const
{
    Session ignored;
    return getSession(driverID, machineID, ignored);
}

bool AXOCommData::getSession(int driverID, const MachineID &machineID, Session &out) const
{
    QMutexLocker locker(&m_sessionMutex);
    for (const Session &s : m_sessions) {
        if (s.driverID() == driverID && s.machineID() == machineID) {
            out = s;
            return true;
        }
    }
    return false;
}

QString AXOCommData::getSessionID(int driverID, const MachineID &machineID) const
{
    Session session;
    return getSession(driverID, machineID, session) ? session.getSessionID() : QString();
}

bool AXOCommData::getGenericDispSession(int driverID, Session &out) const
{
    QMutexLocker locker(&m_sessionMutex);
    for (const Session &s : m_sessions) {
        if (s.driverID() == driverID && s.machineID().machineNumber == 0) {
            out = s;
            return true;
        }
    }
    return false;
}

QString AXOCommData::getFirstClientID(bool useDefault) const
{
    QMutexLocker locker(&m_sessionMutex);
    for (const Session &s : m_sessions)
        if (!s.getClientID().isEmpty())
            return s.getClientID();
    return useDefault ? m_clientID : QString();
}

QList<Session> AXOCommData::getSessionList() const
{
    QMutexLocker locker(&m_sessionMutex);
    return m_sessions;
}

QList<MachineID> AXOCommData::getSessionsMachineIDs() const
{
    QMutexLocker locker(&m_sessionMutex);
    QList<MachineID> ids;
    for (const Session &s : m_sessions)
        ids.append(s.machineID());
    return ids;
}

bool AXOCommData::hasSessions() const
{
    QMutexLocker locker(&m_sessionMutex);
    return !m_sessions.isEmpty();
}

bool AXOCommData::hasSessions(int driverID) const
{
    QMutexLocker locker(&m_sessionMutex);
    for (const Session &s : m_sessions)
        if (s.driverID() == driverID)
            return true;
    return false;
}

int AXOCommData::removeDriverSessions(int driverID)
{
    QMutexLocker locker(&m_sessionMutex);
    int removed = 0;
    for (int i = m_sessions.size() - 1; i >= 0; --i) {
        if (m_sessions.at(i).driverID() == driverID) {
            m_sessions.removeAt(i);
            ++removed;
        }
    }
    return removed;
}

bool AXOCommData::removeSession(const QString &sessionID)
{
    QMutexLocker locker(&m_sessionMutex);
    for (int i = 0; i < m_sessions.size(); ++i) {
        if (m_sessions.at(i).getSessionID() == sessionID) {
            m_sessions.removeAt(i);
            return true;
        }
    }
    return false;
}

bool AXOCommData::removeAllSessions()
{
    QMutexLocker locker(&m_sessionMutex);
    m_sessions.clear();
    return true;
}

// ---------------------------------------------------------------- queues

bool AXOCommData::enqueueCommand(NECommand *command)
{
    int driverID = 0;
    MachineID machineID;
    QueueType type = NoQueue;
    {
        QMutexLocker locker(&m_queueMutex);
        NECommandQueue *queue = nullptr;
        if (!m_queueManager->addItem(command, &queue))
            return false;
        driverID = queue->driverID();
        machineID = queue->machineID();
        type = queue->type();
    }
    // Wake the one command thread that drains that queue.
    m_threads->notifyQueueThread(driverID, machineID, type);
    return true;
}

void AXOCommData::addCommandQueue(int driverID, const MachineID &machineID, QueueType type)
{
    QMutexLocker locker(&m_queueMutex);
    m_queueManager->addCommandQueue(driverID, machineID, type);
}

void AXOCommData::removeCommandQueue(int driverID, const MachineID &machineID, QueueType type)
{
    const NECommandQueue::DeferCompletions finishAfterUnlock;
    QMutexLocker locker(&m_queueMutex);
    m_queueManager->removeCommandQueue(driverID, machineID, type);
}

NECommand *AXOCommData::takeFirstCommand(int driverID, const MachineID &machineID, QueueType queueType)
{
    QMutexLocker locker(&m_queueMutex);
    NECommandQueue *queue = m_queueManager->getCommandQueue(driverID, machineID, queueType);
    NECommand *command = queue ? queue->takeFirstItem() : nullptr;
    if (command)
        command->markTakenByThread();
    return command;
}

NEXmlRpcThread *AXOCommData::claimIdleThread(NECommand *command)
{
    QMutexLocker locker(&m_queueMutex);
    const NECommandQueue *queue = m_queueManager->routeQueue(command);
    if (!queue || queue->count() > 0)
        return nullptr;
    NEXmlRpcThread *thread = m_threads->claimIdle(queue->driverID(), queue->machineID(), queue->type());
    if (thread)
        command->markTakenByThread();
    return thread;
}

bool AXOCommData::removeQueuedCommand(NECommand *command)
{
    QMutexLocker locker(&m_queueMutex);
    return m_queueManager->removeItem(command);
}

int AXOCommData::commandQueueCount(int driverID, const MachineID &machineID, QueueType queueType) const
{
    QMutexLocker locker(&m_queueMutex);
    const NECommandQueue *queue = m_queueManager->getCommandQueue(driverID, machineID, queueType);
    return queue ? queue->count() : 0;
}

bool AXOCommData::existCommandQueue(int driverID, const MachineID &machineID, QueueType queueType) const
{
    QMutexLocker locker(&m_queueMutex);
    return m_queueManager->existCommandQueue(driverID, machineID, queueType);
}

bool AXOCommData::clearCommandQueue(int driverID, const MachineID &machineID, QueueType queueType)
{
    const NECommandQueue::DeferCompletions finishAfterUnlock;
    QMutexLocker locker(&m_queueMutex);
    return m_queueManager->clearCommandQueue(driverID, machineID, queueType);
}

void AXOCommData::removeAllCommandQueues(int driverID)
{
    const NECommandQueue::DeferCompletions finishAfterUnlock;
    QMutexLocker locker(&m_queueMutex);
    m_queueManager->removeAllCommandQueues(driverID);
}

// ---------------------------------------------------------------- queue workers

bool AXOCommData::sendCommand(NECommand *cmd, bool blocking, bool copy)
{
    if (!cmd)
        return false;
    if (NELogger::instance()->isDebugEnabled())
        NELogger::instance()->debug(QStringLiteral("Sending command %1...").arg(cmd->command()));
    cmd->setBlockingCall(blocking);
    if (blocking)
        return NEQueueThreadManager::execCommand(cmd);
    // No store lock here: a short command is enqueued, and may even end,
    // in this call, with its signals, whose receivers may send commands.
    return m_queueThreadManager->sendCommand(cmd, copy);
}

bool AXOCommData::sendCommands(const QList<NECommand *> &cmds, bool blocking, bool copy)
{
    if (cmds.isEmpty())
        return false;
    for (NECommand *cmd : cmds)
        if (cmd)
            cmd->setBlockingCall(blocking);
    if (blocking)
        return NEQueueThreadManager::execCommands(cmds);
    return m_queueThreadManager->sendCommands(cmds, copy);
}

void AXOCommData::stopAllQueueThreads()
{
    QMutexLocker locker(&m_abortMutex);
    m_queueThreadsAbort = true;
}

void AXOCommData::resetQueueThreadsAbort()
{
    QMutexLocker locker(&m_abortMutex);
    m_queueThreadsAbort = false;
}

bool AXOCommData::isQueueThreadsAbortSet() const
{
    QMutexLocker locker(&m_abortMutex);
    return m_queueThreadsAbort;
}

// ---------------------------------------------------------------- threads

NEXmlRpcThread *AXOCommData::getDriverCommThread(int driverID, const MachineID &machineID,
                                                 NEDriverParams::DriverThreadTypes threadType) const
{
    return m_threads->find(driverID, machineID, threadType);
}

bool AXOCommData::existsDriverCommThread(int driverID, const MachineID &machineID,
                                         NEDriverParams::DriverThreadTypes threadType) const
{
    return m_threads->find(driverID, machineID, threadType) != nullptr;
}

bool AXOCommData::createDriverCommThread(int driverID, const MachineID &machineID,
                                         NEDriverParams::DriverThreadTypes threadType)
{
    return m_threads->create(driverID, machineID, threadType);
}

bool AXOCommData::startDriverCommThread(int driverID, const MachineID &machineID,
                                        NEDriverParams::DriverThreadTypes threadType)
{
    if (!NEDriverParams::isValidDriverThreadType(threadType)) {
        NELogger::instance()->error(QStringLiteral("startDriverCommThread: invalid threadType %1 for driver %2")
                                        .arg(static_cast<int>(threadType))
                                        .arg(driverID));
        return false;
    }
    {
        QMutexLocker locker(&m_workerMutex);
        if (!m_cmdManager) {
            // Its reactions run in the store's (the host's) thread, whichever
            // thread starts the first driver thread.
            m_cmdManager.reset(new NECmdManager());
            m_cmdManager->moveToThread(thread());
        }
    }
    return m_threads->start(driverID, machineID, threadType);
}

bool AXOCommData::stopDriverCommThread(int driverID, const MachineID &machineID,
                                       NEDriverParams::DriverThreadTypes threadType, bool wait, bool force,
                                       bool remove)
{
    return m_threads->stop(driverID, machineID, threadType, wait, force, remove);
}

bool AXOCommData::pauseDriverCommThread(int driverID, const MachineID &machineID,
                                        NEDriverParams::DriverThreadTypes threadType)
{
    return m_threads->setPaused(driverID, machineID, threadType, true);
}

bool AXOCommData::resumeDriverCommThread(int driverID, const MachineID &machineID,
                                         NEDriverParams::DriverThreadTypes threadType)
{
    return m_threads->setPaused(driverID, machineID, threadType, false);
}

bool AXOCommData::isDriverCommThreadActive(int driverID, const MachineID &machineID,
                                           NEDriverParams::DriverThreadTypes threadType) const
{
    return m_threads->isActive(driverID, machineID, threadType);
}

QList<MachineID> AXOCommData::getDriverCommThreadMachineIDs(int driverID,
                                                            NEDriverParams::DriverThreadTypes threadType) const
{
    return m_threads->machineIDs(driverID, threadType);
}

bool AXOCommData::pingDriverCommThread(int driverID, double timeoutSeconds) const
{
    // The driver-wide machine first, else the generic dispenser. The ping
    // goes over a connection of its own: the thread's may be inside a long
    // call, and no store lock is held while the driver answers.
    NEDriverParams params;
    if (!m_threads->threadParams(driverID, MachineID(0, 0), NEDriverParams::StandardCommandsThread, &params)
        && !m_threads->threadParams(driverID, MachineID(0, MachineID::Dispenser),
                                    NEDriverParams::StandardCommandsThread, &params))
        return false;
    if (params.isSlaveDriverType() || !params.axoDriverConnection())
        return params.isSlaveDriverType();
    return NECmdManager::pingEndpoint(*params.axoDriverConnection(), timeoutSeconds);
}

namespace {

//! Runs f on the circuits-process thread of the machine while the registry
//! keeps it listed; false when there is none.
bool withProcessThread(const NEDriverThreadRegistry &threads, int driverID, const MachineID &machineID,
                       const std::function<void(NEXmlRpcCircuitsProcessThread *)> &f)
{
    return threads.withThread(driverID, machineID, NEDriverParams::CircuitsProcessesThread,
                              [&f](NEXmlRpcThread *thread) {
                                  auto *process = qobject_cast<NEXmlRpcCircuitsProcessThread *>(thread);
                                  if (!process)
                                      return false;
                                  f(process);
                                  return true;
                              });
}

} // namespace

bool AXOCommData::setActiveCircuitProcess(int driverID, const MachineID &machineID, int circuitProcess)
{
    return withProcessThread(*m_threads, driverID, machineID,
                             [circuitProcess](NEXmlRpcCircuitsProcessThread *t) { t->setCircuitProcess(circuitProcess); });
}

bool AXOCommData::getActiveCircuitProcess(int driverID, const MachineID &machineID, int &circuitProcess) const
{
    return withProcessThread(*m_threads, driverID, machineID,
                             [&circuitProcess](NEXmlRpcCircuitsProcessThread *t) { circuitProcess = t->circuitProcess(); });
}

bool AXOCommData::setProcessNotifyOnChange(int driverID, const MachineID &machineID, bool notify)
{
    return withProcessThread(*m_threads, driverID, machineID,
                             [notify](NEXmlRpcCircuitsProcessThread *t) { t->setProcessNotifyOnChange(notify); });
}

bool AXOCommData::setProcessPollingTime(int driverID, const MachineID &machineID, int ms)
{
    return withProcessThread(*m_threads, driverID, machineID,
                             [ms](NEXmlRpcCircuitsProcessThread *t) { t->setProcessPollingTime(ms); });
}

void AXOCommData::closeAllConnections(int driverID, bool wait)
{
    m_threads->closeDriver(driverID, wait);
    m_clientPool->closeDriver(driverID);
    // The waiting commands fail; those inside a call end with it. Commands
    // of other drivers are not touched.
    removeAllCommandQueues(driverID);
    for (int id : getDriverIDs()) {
        if (driverID != -1 && id != driverID)
            continue;
        removeDriverParamsForDriver(id);
        removeDriverData(id);
    }
}

// ---------------------------------------------------------------- driver data

// ---------------------------------------------------------------- signals

void AXOCommData::NEEmitCommandEnqueuedSignal(const NECommand &command)
{
    emit NECommandEnqueuedSignal(command);
    emit NECommandExecutionStatusSignal(CommandEnqueued, command);
}

void AXOCommData::NEEmitCommandSentSignal(const NECommand &command)
{
    emit NECommandSentSignal(command);
    emit NECommandExecutionStatusSignal(CommandSent, command);
}

void AXOCommData::NEEmitCommandProgressSignal(const NECommand &command)
{
    emit NECommandProgressSignal(command);
    emit NECommandExecutionStatusSignal(CommandProgress, command);
}

void AXOCommData::NEEmitCommandExecutedSignal(const NECommand &command)
{
    emit NECommandExecutedSignal(command);
    emit NECommandExecutionStatusSignal(CommandExecuted, command);
}

void AXOCommData::NEEmitAppMessageSignal(const QString &message, bool error)
{
    emit NEAppMessageSignal(message, error);
}

void AXOCommData::NEEmitLogMessage(const QString &message, int level)
{
    emit NETraceLogMessage(message, level);
}
