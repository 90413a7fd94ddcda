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
#include "NEXmlRpcThread.h"


#include <algorithm>
#include <thread>
#include <vector>

AXOCommData *AXOCommData::m_Instance = nullptr;

namespace {
QMutex s_instanceMutex;
}

AXOCommData::AXOCommData(QObject *parent)
    : QObject(parent), m_queueManager(new NECommandQueueManager()), m_queueThreadManager(new NEQueueThreadManager()),
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
    QList<NEXmlRpcThread *> threads;
    {
        QMutexLocker locker(&m_threadMutex);
        QWriteLocker list(&m_threadListLock);
        for (const auto &entry : m_threads)
            threads.append(entry.second);
        m_threads.clear();
        threads.append(m_retiredThreads);
        m_retiredThreads.clear();
    }
    for (NEXmlRpcThread *thread : threads)
        thread->stopProcess();
    {
        QMutexLocker locker(&m_queueMutex);
        m_queueManager->removeAllCommandQueues(-1);
    }
    QElapsedTimer workers;
    workers.start();
    while (NEQueueThread::runningWorkers() > 0 && workers.elapsed() < 5000)
        QThread::msleep(2);
    NEQueueThreadManager::workerPool()->waitForDone(1000);

    for (NEXmlRpcThread *thread : threads) {
        // A thread that has not ended is left alone rather than deleted
        // under its own feet.
        if (waitForThread(thread, 5000))
            delete thread;
    }
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
    const NEDriverParams::DriverThreadTypes threadType = NECommandQueueManager::getThreadType(type);
    QReadLocker list(&m_threadListLock);
    for (const auto &entry : m_threads) {
        if (entry.first == driverID && entry.second->threadType() == threadType
            && entry.second->machineID() == machineID) {
            entry.second->notifyCommandEnqueued();
            break;
        }
    }
    return true;
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
    QMutexLocker locker(&m_queueMutex);
    return m_queueManager->clearCommandQueue(driverID, machineID, queueType);
}

void AXOCommData::removeAllCommandQueues(int driverID)
{
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
    QMutexLocker locker(&m_workerMutex);
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
    QMutexLocker locker(&m_workerMutex);
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
    if (getDriverType(driverID) < 0)
        return nullptr;
    QReadLocker list(&m_threadListLock);
    for (const auto &entry : m_threads)
        if (entry.first == driverID && entry.second->machineID() == machineID
            && entry.second->threadType() == threadType)
            return entry.second;
    return nullptr;
}

bool AXOCommData::existsDriverCommThread(int driverID, const MachineID &machineID,
                                         NEDriverParams::DriverThreadTypes threadType) const
{
    return getDriverCommThread(driverID, machineID, threadType) != nullptr;
}

NEXmlRpcThread *AXOCommData::createThreadObject(const NEDriverParams &params, const MachineID &machineID,
                                                NEDriverParams::DriverThreadTypes threadType) const
{
    // The polling threads run their own loops on the queue type of their
    // kind; until a kind has a class of its own, the command thread serves it.
    QueueType queueType = StandardQueue;
    if (threadType >= NEDriverParams::StandardCommandsThread && threadType <= NEDriverParams::ScaleCommandsThread)
        queueType = static_cast<QueueType>(threadType);
    else if (threadType == NEDriverParams::ScaleWeightThread)
        queueType = ScaleQueue;
    return new NEXmlRpcThread(params, machineID, queueType, threadType);
}

bool AXOCommData::createDriverCommThread(int driverID, const MachineID &machineID,
                                         NEDriverParams::DriverThreadTypes threadType)
{
    if (!NEDriverParams::isValidDriverThreadType(threadType))
        return false;
    QMutexLocker threadLocker(&m_threadMutex);
    bool found = false;
    const NEDriverParams params = getDriverParamsForDriver(driverID, &found);
    if (!found)
        return false;
    if (getDriverCommThread(driverID, machineID, threadType))
        return true;
    NEXmlRpcThread *thread = createThreadObject(params, machineID, threadType);
    {
        QWriteLocker list(&m_threadListLock);
        m_threads.append(qMakePair(driverID, thread));
    }
    QMutexLocker queueLocker(&m_queueMutex);
    m_queueManager->addCommandQueue(driverID, machineID, thread->queueType());
    return true;
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
        if (!m_cmdManager)
            m_cmdManager.reset(new NECmdManager());
    }
    if (!createDriverCommThread(driverID, machineID, threadType))
        return false;
    QMutexLocker locker(&m_threadMutex);
    NEXmlRpcThread *thread = getDriverCommThread(driverID, machineID, threadType);
    if (!thread)
        return false;
    if (thread->isRunning() && thread->isStopping()) {
        // Stopped without waiting and still winding down: it will not take
        // another command, so a fresh thread takes its place.
        NEXmlRpcThread *fresh = createThreadObject(thread->driverParams(), machineID, threadType);
        fresh->setRecursiveCounter(thread->recursiveCounter());
        {
            QWriteLocker list(&m_threadListLock);
            for (auto &entry : m_threads)
                if (entry.second == thread)
                    entry.second = fresh;
        }
        m_retiredThreads.append(thread);
        thread = fresh;
    }
    reapRetiredThreads(false);
    if (!thread->isRunning())
        thread->prepareForStart();
    thread->start();
    if (NELogger::instance()->isDebugEnabled())
        NELogger::instance()->debug(QStringLiteral("START %1").arg(thread->threadInfo()));
    thread->setRecursiveCounter(thread->recursiveCounter() + 1);
    return true;
}

bool AXOCommData::waitForThread(NEXmlRpcThread *thread, unsigned long ms) const
{
    if (thread->wait(ms))
        return true;
    NELogger::instance()->error(
        QStringLiteral("Thread did not stop within %1 ms: %2").arg(ms).arg(thread->threadInfo()));
    return false;
}

bool AXOCommData::stopDriverCommThread(int driverID, const MachineID &machineID,
                                       NEDriverParams::DriverThreadTypes threadType, bool wait, bool force,
                                       bool remove)
{
    QMutexLocker locker(&m_threadMutex);
    NEXmlRpcThread *thread = getDriverCommThread(driverID, machineID, threadType);
    if (!thread)
        return true;
    if (thread->recursiveCounter() != 1 && !force) {
        thread->setRecursiveCounter(thread->recursiveCounter() - 1);
        return true;
    }
    const QueueType queueType = thread->queueType();
    if (remove) {
        QWriteLocker list(&m_threadListLock);
        for (int i = 0; i < m_threads.size(); ++i) {
            if (m_threads.at(i).second == thread) {
                m_threads.removeAt(i);
                break;
            }
        }
    }
    // The stop closes the thread's connection under any call in flight, so
    // the thread ends at once; it is never terminated by force. Without
    // wait it ends on its own.
    thread->stopProcess();
    const bool ended = wait ? waitForThread(thread, 1000) : !thread->isRunning();
    const QString info = thread->threadInfo();
    if (remove) {
        if (ended) {
            thread->wait();
            delete thread;
        } else {
            m_retiredThreads.append(thread);
        }
        // The queue goes with its last thread; its waiting commands fail.
        bool served = false;
        {
            QReadLocker list(&m_threadListLock);
            for (const auto &entry : m_threads)
                served = served
                    || (entry.first == driverID && entry.second->machineID() == machineID
                        && entry.second->queueType() == queueType);
        }
        if (!served) {
            QMutexLocker queueLocker(&m_queueMutex);
            m_queueManager->removeCommandQueue(driverID, machineID, queueType);
        }
    } else {
        thread->setRecursiveCounter(thread->recursiveCounter() - 1);
    }
    if (NELogger::instance()->isDebugEnabled())
        NELogger::instance()->debug(QStringLiteral("STOP %1").arg(info));
    return true;
}

bool AXOCommData::pauseDriverCommThread(int driverID, const MachineID &machineID,
                                        NEDriverParams::DriverThreadTypes threadType)
{
    QMutexLocker locker(&m_threadMutex);
    NEXmlRpcThread *thread = getDriverCommThread(driverID, machineID, threadType);
    if (!thread)
        return false;
    thread->setPauseFlag(true);
    NELogger::instance()->debug(QStringLiteral("Thread toggle: %1 %2").arg(thread->threadInfo(), QStringLiteral("paused")));
    return true;
}

bool AXOCommData::resumeDriverCommThread(int driverID, const MachineID &machineID,
                                         NEDriverParams::DriverThreadTypes threadType)
{
    QMutexLocker locker(&m_threadMutex);
    NEXmlRpcThread *thread = getDriverCommThread(driverID, machineID, threadType);
    if (!thread)
        return false;
    thread->setPauseFlag(false);
    NELogger::instance()->debug(
        QStringLiteral("Thread toggle: %1 %2").arg(thread->threadInfo(), QStringLiteral("resumed")));
    return true;
}

bool AXOCommData::isDriverCommThreadActive(int driverID, const MachineID &machineID,
                                           NEDriverParams::DriverThreadTypes threadType) const
{
    QMutexLocker locker(&m_threadMutex);
    const NEXmlRpcThread *thread = getDriverCommThread(driverID, machineID, threadType);
    return thread && !thread->getPauseFlag();
}

QList<MachineID> AXOCommData::getDriverCommThreadMachineIDs(int driverID,
                                                            NEDriverParams::DriverThreadTypes threadType) const
{
    QList<MachineID> ids;
    if (getDriverType(driverID) < 0)
        return ids;
    const bool anyType = !NEDriverParams::isValidDriverThreadType(threadType);
    QReadLocker list(&m_threadListLock);
    for (const auto &entry : m_threads)
        if (entry.first == driverID && (anyType || entry.second->threadType() == threadType))
            ids.append(entry.second->machineID());
    return ids;
}

bool AXOCommData::pingDriverCommThread(int driverID, double timeoutSeconds) const
{
    // The driver-wide machine first, else the generic dispenser. The ping
    // goes over a connection of its own: the thread's may be inside a long
    // call, and no store lock is held while the driver answers.
    NEDriverParams params;
    {
        QMutexLocker locker(&m_threadMutex);
        const NEXmlRpcThread *thread =
            getDriverCommThread(driverID, MachineID(0, 0), NEDriverParams::StandardCommandsThread);
        if (!thread)
            thread = getDriverCommThread(driverID, MachineID(0, MachineID::Dispenser),
                                         NEDriverParams::StandardCommandsThread);
        if (!thread)
            return false;
        params = thread->driverParams();
    }
    if (params.isSlaveDriverType() || !params.axoDriverConnection())
        return params.isSlaveDriverType();
    return NECmdManager::pingEndpoint(*params.axoDriverConnection(), timeoutSeconds);
}

bool AXOCommData::setActiveCircuitProcess(int driverID, const MachineID &machineID, int)
{
    QMutexLocker locker(&m_threadMutex);
    return getDriverCommThread(driverID, machineID, NEDriverParams::CircuitsProcessesThread) != nullptr;
}

void AXOCommData::closeAllConnections(int driverID, bool wait)
{
    QList<NEXmlRpcThread *> stopping;
    {
        QMutexLocker locker(&m_threadMutex);
        reapRetiredThreads(false);
        {
            QReadLocker list(&m_threadListLock);
            for (const auto &entry : m_threads)
                if (driverID == -1 || entry.first == driverID)
                    stopping.append(entry.second);
        }
        // Tell every thread to stop at the same time: each stop closes a
        // connection, which may take a moment on its own.
        std::vector<std::thread> stops;
        stops.reserve(static_cast<size_t>(stopping.size()));
        for (NEXmlRpcThread *thread : stopping)
            stops.emplace_back([thread] { thread->stopProcess(); });
        for (std::thread &stop : stops)
            stop.join();

        // The stopped threads leave the list, so that a driver registered
        // again under the same ID starts afresh.
        QWriteLocker list(&m_threadListLock);
        for (int i = m_threads.size() - 1; i >= 0; --i)
            if (stopping.contains(m_threads.at(i).second))
                m_threads.removeAt(i);
        m_retiredThreads.append(stopping);
    }
    // The waiting commands fail; those inside a call end with it. Commands
    // of other drivers are not touched.
    removeAllCommandQueues(driverID);
    for (int id : getDriverIDs()) {
        if (driverID != -1 && id != driverID)
            continue;
        removeDriverParamsForDriver(id);
        removeDriverData(id);
    }
    if (wait) {
        QMutexLocker locker(&m_threadMutex);
        reapRetiredThreads(true);
    }
}

void AXOCommData::reapRetiredThreads(bool wait)
{
    for (int i = m_retiredThreads.size() - 1; i >= 0; --i) {
        NEXmlRpcThread *thread = m_retiredThreads.at(i);
        if (wait ? waitForThread(thread, 1000) : !thread->isRunning()) {
            thread->wait();
            delete thread;
            m_retiredThreads.removeAt(i);
        }
    }
}

// ---------------------------------------------------------------- errors

void AXOCommData::setError(int driverID, const MachineID &machineID, const FW_DriverError &error, bool clear,
                           EmitEventMode mode)
{
    if (!error.isValid())
        return;
    NELogger::instance()->debug(error.errorText());
    bool changed = false;
    {
        QMutexLocker locker(&m_dataMutex);
        NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
        if (!machine)
            return;
        if (clear)
            machine->setMachineErrors(FW_ErrorList());
        if (!machine->machineErrors()->contains(error)) {
            FW_ErrorList added;
            added.append(error);
            machine->appendMachineErrors(added);
            changed = true;
        }
        FW_ErrorList history;
        history.append(error);
        machine->appendMachineErrorsHistory(history);
    }
    if (mode != EmitNone)
        emit NEErrorListUpdated(driverID, machineID, changed || mode == EmitAlways);
}

void AXOCommData::setError(int driverID, const FW_DriverError &error, bool clear, EmitEventMode mode)
{
    setError(driverID, MachineID(0, MachineID::Dispenser), error, clear, mode);
}

void AXOCommData::setError(const FW_DriverError &error, bool clear, EmitEventMode mode)
{
    setError(0, MachineID(0, 0), error, clear, mode);
}

void AXOCommData::setDispError(int driverID, int dispID, const FW_DriverError &error, bool clear,
                               EmitEventMode mode)
{
    setError(driverID, MachineID(dispID, MachineID::Dispenser), error, clear, mode);
}

void AXOCommData::setMixerError(int driverID, int mixerID, const FW_DriverError &error, bool clear,
                                EmitEventMode mode)
{
    setError(driverID, MachineID(mixerID, MachineID::Mixer), error, clear, mode);
}

void AXOCommData::setErrorList(int driverID, const MachineID &machineID, const FW_ErrorList &list)
{
    for (const FW_Error &error : list)
        if (error.isValid())
            NELogger::instance()->error(error.errorText());
    {
        QMutexLocker locker(&m_dataMutex);
        NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
        if (!machine)
            return;
        machine->setMachineErrors(list);
        machine->appendMachineErrorsHistory(list);
    }
    emit NEErrorListUpdated(driverID, machineID, true);
}

void AXOCommData::appendErrorList(int driverID, const MachineID &machineID, const FW_ErrorList &list)
{
    if (list.isEmpty())
        return;
    for (const FW_Error &error : list)
        if (error.isValid())
            NELogger::instance()->error(error.errorText());
    bool changed = false;
    {
        QMutexLocker locker(&m_dataMutex);
        NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
        if (!machine)
            return;
        FW_ErrorList added;
        for (const FW_Error &error : list)
            if (!machine->machineErrors()->contains(error) && !added.contains(error))
                added.append(error);
        changed = !added.isEmpty();
        if (changed)
            machine->appendMachineErrors(added);
    }
    emit NEErrorListUpdated(driverID, machineID, changed);
}

FW_ErrorList AXOCommData::getErrorList(int driverID, const MachineID &machineID) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
    return machine ? *machine->machineErrors() : FW_ErrorList();
}

FW_ErrorList AXOCommData::getErrorHistoryList(int driverID, const MachineID &machineID) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
    return machine ? *machine->machineErrorsHistory() : FW_ErrorList();
}

// ---------------------------------------------------------------- driver data

bool AXOCommData::setDriverVersion(int driverID, const QVersionNumber &version)
{
    QMutexLocker locker(&m_dataMutex);
    NEDriverData *driver = m_driverData.getDriverData(driverID);
    if (!driver)
        return false;
    driver->setDriverVersion(version);
    return true;
}

bool AXOCommData::getDriverVersion(int driverID, QVersionNumber &out) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEDriverData *driver = m_driverData.getDriverData(driverID);
    if (!driver)
        return false;
    out = driver->driverVersion();
    return true;
}

std::unique_ptr<MachineDriverStatusAnswer> AXOCommData::currentMachineDriverStatus(int driverID,
                                                                                  const MachineID &machineID) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
    if (!machine || !machine->currentMachineDriverStatus())
        return nullptr;
    return std::unique_ptr<MachineDriverStatusAnswer>(
        static_cast<MachineDriverStatusAnswer *>(machine->currentMachineDriverStatus()->clone()));
}

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
