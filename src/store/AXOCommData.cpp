#include "AXOCommData.h"

#include "MachineDriverStatusAnswer.h"
#include "NECommand.h"
#include "NECommandQueue.h"
#include "NECommandQueueManager.h"

#include <QtCore/QHash>

#include <algorithm>

AXOCommData *AXOCommData::m_Instance = nullptr;

namespace {
QMutex s_instanceMutex;
}

uint qHash(const AXOCommData::ThreadKey &key, uint seed)
{
    return qHash(qMakePair(key.driverID, key.threadType), seed) ^ qHash(key.machineID.machineNumber, seed)
        ^ (static_cast<uint>(key.machineID.machineType) << 24);
}

AXOCommData::AXOCommData(QObject *parent) : QObject(parent), m_queueManager(new NECommandQueueManager())
{
    qRegisterMetaType<NECommand>("NECommand");
    qRegisterMetaType<MachineID>("MachineID");
    qRegisterMetaType<AXOCommData::CommandEvent>("AXOCommData::CommandEvent");
}

AXOCommData::~AXOCommData() = default;

AXOCommData *AXOCommData::instance()
{
    QMutexLocker locker(&s_instanceMutex);
    if (!m_Instance)
        m_Instance = new AXOCommData();
    return m_Instance;
}

void AXOCommData::drop()
{
    QMutexLocker locker(&s_instanceMutex);
    delete m_Instance;
    m_Instance = nullptr;
}

QList<int> AXOCommData::getDriverIDs() const
{
    QMutexLocker locker(&m_paramMutex);
    QList<int> ids;
    for (const NEDriverParams &params : m_driverParams)
        ids.append(params.driverID());
    std::sort(ids.begin(), ids.end());
    return ids;
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

void AXOCommData::setDriverParamsList(const NEDriverParamsList &list)
{
    QMutexLocker locker(&m_paramMutex);
    m_driverParams = list;
}

bool AXOCommData::createDriverCommThread(int driverID, const MachineID &machineID,
                                         NEDriverParams::DriverThreadTypes threadType)
{
    QMutexLocker threadLocker(&m_threadMutex);
    if (getDriverType(driverID) < 0 || !NEDriverParams::isValidDriverThreadType(threadType))
        return false;
    // The thread table changes under both locks: it is read under either.
    QMutexLocker queueLocker(&m_queueMutex);
    m_threads.insert(ThreadKey{driverID, machineID, threadType});
    m_queueManager->addCommandQueue(driverID, machineID, NECommandQueueManager::getQueueType(threadType));
    return true;
}

bool AXOCommData::existsDriverCommThread(int driverID, const MachineID &machineID,
                                         NEDriverParams::DriverThreadTypes threadType) const
{
    if (getDriverType(driverID) < 0)
        return false;
    return m_threads.contains(ThreadKey{driverID, machineID, threadType});
}

bool AXOCommData::startDriverCommThread(int driverID, const MachineID &machineID,
                                        NEDriverParams::DriverThreadTypes threadType)
{
    QMutexLocker threadLocker(&m_threadMutex);
    return existsDriverCommThread(driverID, machineID, threadType);
}

bool AXOCommData::stopDriverCommThread(int driverID, const MachineID &machineID,
                                       NEDriverParams::DriverThreadTypes threadType, bool, bool, bool remove)
{
    QMutexLocker threadLocker(&m_threadMutex);
    const ThreadKey key{driverID, machineID, threadType};
    if (!m_threads.contains(key))
        return false;
    if (remove) {
        QMutexLocker queueLocker(&m_queueMutex);
        m_threads.remove(key);
        m_queueManager->removeCommandQueue(driverID, machineID, NECommandQueue::getTypeForCommThread(threadType));
    }
    return true;
}

bool AXOCommData::setActiveCircuitProcess(int driverID, const MachineID &machineID, int)
{
    QMutexLocker threadLocker(&m_threadMutex);
    return existsDriverCommThread(driverID, machineID, NEDriverParams::CircuitsProcessesThread);
}

bool AXOCommData::enqueueCommand(NECommand *command)
{
    QMutexLocker locker(&m_queueMutex);
    return m_queueManager->addItem(command);
}

NECommand *AXOCommData::takeFirstCommand(int driverID, const MachineID &machineID, int queueType)
{
    QMutexLocker locker(&m_queueMutex);
    NECommandQueue *queue =
        m_queueManager->getCommandQueue(driverID, machineID, static_cast<QueueType>(queueType));
    return queue ? queue->takeFirstItem() : nullptr;
}

int AXOCommData::commandQueueCount(int driverID, const MachineID &machineID, int queueType) const
{
    QMutexLocker locker(&m_queueMutex);
    const NECommandQueue *queue =
        m_queueManager->getCommandQueue(driverID, machineID, static_cast<QueueType>(queueType));
    return queue ? queue->count() : 0;
}

bool AXOCommData::clearCommandQueue(int driverID, const MachineID &machineID, int queueType)
{
    QMutexLocker locker(&m_queueMutex);
    return m_queueManager->clearCommandQueue(driverID, machineID, static_cast<QueueType>(queueType));
}

bool AXOCommData::existCommandQueue(int driverID, const MachineID &machineID, int queueType) const
{
    QMutexLocker locker(&m_queueMutex);
    return m_queueManager->existCommandQueue(driverID, machineID, static_cast<QueueType>(queueType));
}

void AXOCommData::removeAllCommandQueues(int driverID)
{
    QMutexLocker locker(&m_queueMutex);
    m_queueManager->removeAllCommandQueues(driverID);
}

std::unique_ptr<MachineDriverStatusAnswer> AXOCommData::currentMachineDriverStatus(int, const MachineID &) const
{
    return nullptr;
}
