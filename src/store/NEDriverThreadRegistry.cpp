#include "NEDriverThreadRegistry.h"

#include "AXOCommData.h"
#include "NECmdManager.h"
#include "NECommandQueue.h"
#include "NELogger.h"
#include "NEXmlRpcActiveDispsThread.h"
#include "NEXmlRpcCircuitsProcessThread.h"
#include "NEXmlRpcCircuitsStatusThread.h"
#include "NEXmlRpcConnStatusThread.h"
#include "NEXmlRpcCustomPollingThread.h"
#include "NEXmlRpcScaleWeightThread.h"
#include "NEXmlRpcSensorsThread.h"
#include "NEXmlRpcStatusThread.h"
#include "NEXmlRpcThread.h"

namespace {

bool debugOn()
{
    return NELogger::instance()->isDebugEnabled();
}

} // namespace

NEDriverThreadRegistry::NEDriverThreadRegistry(AXOCommData *store) : m_store(store) { }

NEDriverThreadRegistry::~NEDriverThreadRegistry()
{
    stopAll();
    deleteEnded(5000);
}

NEXmlRpcThread *NEDriverThreadRegistry::createThreadObject(const NEDriverParams &params, const MachineID &machineID,
                                                           NEDriverParams::DriverThreadTypes type) const
{
    // The polling kinds keep the queue type of their kind.
    QueueType queueType = StandardQueue;
    if (type >= NEDriverParams::StandardCommandsThread && type <= NEDriverParams::ScaleCommandsThread)
        queueType = static_cast<QueueType>(type);
    else if (type == NEDriverParams::ScaleWeightThread)
        queueType = ScaleQueue;
    switch (type) {
    case NEDriverParams::DriverStatusThread:
    case NEDriverParams::MixerStatusThread:
        return new NEXmlRpcStatusThread(params, machineID, queueType, type);
    case NEDriverParams::ActiveMachineThread:
        return new NEXmlRpcActiveDispsThread(params, machineID, queueType, type);
    case NEDriverParams::ConnectionStatusThread:
        return new NEXmlRpcConnStatusThread(params, machineID, queueType, type);
    case NEDriverParams::CustomPollingThread:
        return new NEXmlRpcCustomPollingThread(params, machineID, queueType, type);
    case NEDriverParams::SensorsStatusThread:
        return new NEXmlRpcSensorsThread(params, machineID, queueType, type);
    case NEDriverParams::CircuitsStatusThread:
        return new NEXmlRpcCircuitsStatusThread(params, machineID, queueType, type);
    case NEDriverParams::CircuitsProcessesThread:
        return new NEXmlRpcCircuitsProcessThread(params, machineID, queueType, type);
    case NEDriverParams::ScaleWeightThread:
        return new NEXmlRpcScaleWeightThread(params, machineID, queueType, type);
    default:
        return new NEXmlRpcThread(params, machineID, queueType, type);
    }
}

NEXmlRpcThread *NEDriverThreadRegistry::find(int driverID, const MachineID &machineID,
                                             NEDriverParams::DriverThreadTypes type) const
{
    if (m_store->getDriverType(driverID) < 0)
        return nullptr;
    QReadLocker list(&m_listLock);
    for (const auto &entry : m_threads)
        if (entry.first == driverID && entry.second->machineID() == machineID && entry.second->threadType() == type)
            return entry.second;
    return nullptr;
}

bool NEDriverThreadRegistry::withThread(int driverID, const MachineID &machineID,
                                        NEDriverParams::DriverThreadTypes type,
                                        const std::function<bool(NEXmlRpcThread *)> &f) const
{
    if (m_store->getDriverType(driverID) < 0)
        return false;
    QReadLocker list(&m_listLock);
    for (const auto &entry : m_threads)
        if (entry.first == driverID && entry.second->machineID() == machineID && entry.second->threadType() == type)
            return f(entry.second);
    return false;
}

bool NEDriverThreadRegistry::create(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes type)
{
    if (!NEDriverParams::isValidDriverThreadType(type))
        return false;
    QMutexLocker locker(&m_mutex);
    bool found = false;
    const NEDriverParams params = m_store->getDriverParamsForDriver(driverID, &found);
    if (!found)
        return false;
    if (find(driverID, machineID, type))
        return true;
    NEXmlRpcThread *thread = createThreadObject(params, machineID, type);
    {
        QWriteLocker list(&m_listLock);
        m_threads.append(qMakePair(driverID, thread));
    }
    m_store->addCommandQueue(driverID, machineID, thread->queueType());
    return true;
}

bool NEDriverThreadRegistry::start(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes type)
{
    if (!create(driverID, machineID, type))
        return false;
    QMutexLocker locker(&m_mutex);
    NEXmlRpcThread *thread = find(driverID, machineID, type);
    if (!thread)
        return false;
    if (thread->isRunning() && thread->isStopping()) {
        // Stopped without waiting and still winding down: it will not take
        // another command, so a fresh thread takes its place.
        NEXmlRpcThread *fresh = createThreadObject(thread->driverParams(), machineID, type);
        fresh->setRecursiveCounter(thread->recursiveCounter());
        {
            QWriteLocker list(&m_listLock);
            for (auto &entry : m_threads)
                if (entry.second == thread)
                    entry.second = fresh;
        }
        m_retired.append(thread);
        thread = fresh;
    }
    const QList<NEXmlRpcThread *> ended = takeEnded();
    if (!thread->isRunning())
        thread->prepareForStart();
    thread->start();
    if (debugOn())
        NELogger::instance()->debug(QStringLiteral("START %1").arg(thread->threadInfo()));
    thread->setRecursiveCounter(thread->recursiveCounter() + 1);
    locker.unlock();
    deleteThreads(ended);
    return true;
}

bool NEDriverThreadRegistry::waitForThread(NEXmlRpcThread *thread, unsigned long ms) const
{
    if (thread->wait(ms))
        return true;
    NELogger::instance()->error(
        QStringLiteral("Thread did not stop within %1 ms: %2").arg(ms).arg(thread->threadInfo()));
    return false;
}

void NEDriverThreadRegistry::removeFromList(NEXmlRpcThread *thread)
{
    QWriteLocker list(&m_listLock);
    for (int i = 0; i < m_threads.size(); ++i) {
        if (m_threads.at(i).second == thread) {
            m_threads.removeAt(i);
            return;
        }
    }
}

bool NEDriverThreadRegistry::queueServed(int driverID, const MachineID &machineID, QueueType queueType) const
{
    QReadLocker list(&m_listLock);
    for (const auto &entry : m_threads)
        if (entry.first == driverID && entry.second->machineID() == machineID
            && entry.second->queueType() == queueType)
            return true;
    return false;
}

bool NEDriverThreadRegistry::stop(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes type,
                                  bool wait, bool force, bool remove)
{
    // The commands a removed queue ends are finished once no lock is held.
    const NECommandQueue::DeferCompletions finishAfterUnlock;
    QMutexLocker locker(&m_mutex);
    NEXmlRpcThread *thread = find(driverID, machineID, type);
    if (!thread)
        return true;
    if (thread->recursiveCounter() != 1 && !force) {
        thread->setRecursiveCounter(thread->recursiveCounter() - 1);
        return true;
    }
    const QueueType queueType = thread->queueType();
    if (remove)
        removeFromList(thread);
    // The stop closes the thread's connection under any call in flight, so
    // the thread ends at once; it is never terminated by force. Without
    // wait it ends on its own.
    thread->stopProcess();
    const bool ended = wait ? waitForThread(thread, 1000) : !thread->isRunning();
    const QString info = debugOn() ? thread->threadInfo() : QString();
    if (remove) {
        if (ended) {
            thread->wait();
            delete thread;
        } else {
            m_retired.append(thread);
        }
        // The queue goes with the last thread that serves it; its waiting
        // commands fail.
        if (!queueServed(driverID, machineID, queueType))
            m_store->removeCommandQueue(driverID, machineID, queueType);
    } else {
        thread->setRecursiveCounter(thread->recursiveCounter() - 1);
    }
    if (debugOn())
        NELogger::instance()->debug(QStringLiteral("STOP %1").arg(info));
    return true;
}

bool NEDriverThreadRegistry::setPaused(int driverID, const MachineID &machineID,
                                       NEDriverParams::DriverThreadTypes type, bool paused)
{
    QMutexLocker locker(&m_mutex);
    NEXmlRpcThread *thread = find(driverID, machineID, type);
    if (!thread)
        return false;
    thread->setPauseFlag(paused);
    if (debugOn())
        NELogger::instance()->debug(QStringLiteral("Thread toggle: %1 %2")
                                        .arg(thread->threadInfo(), paused ? QStringLiteral("paused")
                                                                          : QStringLiteral("resumed")));
    return true;
}

bool NEDriverThreadRegistry::isActive(int driverID, const MachineID &machineID,
                                      NEDriverParams::DriverThreadTypes type) const
{
    QMutexLocker locker(&m_mutex);
    const NEXmlRpcThread *thread = find(driverID, machineID, type);
    return thread && !thread->getPauseFlag();
}

bool NEDriverThreadRegistry::threadParams(int driverID, const MachineID &machineID,
                                          NEDriverParams::DriverThreadTypes type, NEDriverParams *params) const
{
    QMutexLocker locker(&m_mutex);
    const NEXmlRpcThread *thread = find(driverID, machineID, type);
    if (thread && params)
        *params = thread->driverParams();
    return thread != nullptr;
}

QList<MachineID> NEDriverThreadRegistry::machineIDs(int driverID, NEDriverParams::DriverThreadTypes type) const
{
    QList<MachineID> ids;
    if (m_store->getDriverType(driverID) < 0)
        return ids;
    const bool anyType = !NEDriverParams::isValidDriverThreadType(type);
    QReadLocker list(&m_listLock);
    for (const auto &entry : m_threads)
        if (entry.first == driverID && (anyType || entry.second->threadType() == type))
            ids.append(entry.second->machineID());
    return ids;
}

NEXmlRpcThread *NEDriverThreadRegistry::claimIdle(int driverID, const MachineID &machineID, QueueType queueType) const
{
    const NEDriverParams::DriverThreadTypes type = static_cast<NEDriverParams::DriverThreadTypes>(queueType);
    QReadLocker list(&m_listLock);
    for (const auto &entry : m_threads)
        if (entry.first == driverID && entry.second->threadType() == type && entry.second->machineID() == machineID)
            return entry.second->tryClaimForCaller() ? entry.second : nullptr;
    return nullptr;
}

void NEDriverThreadRegistry::notifyQueueThread(int driverID, const MachineID &machineID, QueueType queueType) const
{
    const NEDriverParams::DriverThreadTypes type = static_cast<NEDriverParams::DriverThreadTypes>(queueType);
    QReadLocker list(&m_listLock);
    for (const auto &entry : m_threads) {
        if (entry.first == driverID && entry.second->threadType() == type && entry.second->machineID() == machineID) {
            entry.second->notifyCommandEnqueued();
            return;
        }
    }
}

void NEDriverThreadRegistry::closeDriver(int driverID, bool wait)
{
    QList<NEXmlRpcThread *> ended;
    QList<NEXmlRpcThread *> stopping;
    {
        QMutexLocker locker(&m_mutex);
        ended = takeEnded();
        {
            QReadLocker list(&m_listLock);
            for (const auto &entry : m_threads)
                if (driverID == -1 || entry.first == driverID)
                    stopping.append(entry.second);
        }
        // A stop raises the thread's flag and shuts its socket down (a call
        // in flight ends at once); none of them waits.
        for (NEXmlRpcThread *thread : qAsConst(stopping))
            thread->stopProcess();
        // The stopped threads leave the list, so that a driver registered
        // again under the same ID starts afresh.
        for (NEXmlRpcThread *thread : stopping)
            removeFromList(thread);
        if (!wait)
            m_retired.append(stopping);
    }
    if (wait) {
        // Waited for outside the lock: a thread finishing its last command
        // may still need the registry (a reaction pausing or starting
        // threads). Until then they are in no list, so nobody else deletes
        // them.
        QList<NEXmlRpcThread *> running;
        for (NEXmlRpcThread *thread : qAsConst(stopping))
            (waitForThread(thread, 1000) ? ended : running).append(thread);
        if (!running.isEmpty()) {
            QMutexLocker locker(&m_mutex);
            m_retired.append(running);
        }
    }
    deleteThreads(ended);
}

void NEDriverThreadRegistry::stopAll()
{
    QMutexLocker locker(&m_mutex);
    {
        QWriteLocker list(&m_listLock);
        for (const auto &entry : m_threads)
            m_retired.append(entry.second);
        m_threads.clear();
    }
    for (NEXmlRpcThread *thread : qAsConst(m_retired))
        thread->stopProcess();
}

void NEDriverThreadRegistry::deleteEnded(unsigned long ms)
{
    QList<NEXmlRpcThread *> ended;
    {
        QMutexLocker locker(&m_mutex);
        for (int i = m_retired.size() - 1; i >= 0; --i) {
            // A thread that has not ended is left alone rather than deleted
            // under its own feet.
            if (waitForThread(m_retired.at(i), ms))
                ended.append(m_retired.takeAt(i));
        }
    }
    deleteThreads(ended);
}

QList<NEXmlRpcThread *> NEDriverThreadRegistry::takeEnded()
{
    QList<NEXmlRpcThread *> ended;
    for (int i = m_retired.size() - 1; i >= 0; --i) {
        NEXmlRpcThread *thread = m_retired.at(i);
        if (!thread->isRunning()) {
            thread->wait();
            ended.append(m_retired.takeAt(i));
        }
    }
    return ended;
}

void NEDriverThreadRegistry::deleteThreads(const QList<NEXmlRpcThread *> &threads)
{
    // Outside the registry's lock: deleting a thread waits for a caller that
    // still runs a command through it, and that caller may need the registry
    // (a reaction pausing or starting threads).
    for (NEXmlRpcThread *thread : threads)
        delete thread;
}
