#include "NECommandQueueManager.h"

#include "AXOCommData.h"
#include "NECommand.h"
#include "NECommandQueue.h"
#include "ProtoCommandList.h"

NECommandQueueManager::NECommandQueueManager() = default;

NECommandQueueManager::~NECommandQueueManager()
{
    removeAllCommandQueues(-1);
}

void NECommandQueueManager::addCommandQueue(int driverID, const MachineID &machineID, QueueType type)
{
    if (!existCommandQueue(driverID, machineID, type))
        m_queues.append(new NECommandQueue(driverID, machineID, type));
}

void NECommandQueueManager::addCommandQueue(NECommandQueue *queue)
{
    m_queues.append(queue);
}

QueueType NECommandQueueManager::routeQueueType(const NECommand &command)
{
    const QString name = command.command();
    const int machineNumber = command.machineID().machineNumber;
    if (name == ProtoCommandList::cmdStr(ProtoCommandList::STOP))
        return StopQueue;
    if (command.hasHighSchedulingPriority())
        return PriorityQueue;
    if (machineNumber > 0 && ProtoCommandList::isConfigurationCommand(name, false))
        return ConfigurationQueue;
    if (machineNumber > 0 && ProtoCommandList::isScaleCommand(name, true))
        return ScaleQueue;
    return StandardQueue;
}

NECommandQueue *NECommandQueueManager::routeQueue(const NECommand *command) const
{
    if (!command)
        return nullptr;
    const QueueType type = routeQueueType(*command);
    const int driverID = command->driverID();
    const MachineID machineID = command->machineID();
    if (!AXOCommData::instance()->existsDriverCommThread(driverID, machineID, getThreadType(type)))
        return nullptr;
    NECommandQueue *queue = getCommandQueue(driverID, machineID, type);
    return queue ? queue : getCommandQueue(driverID, MachineID(0, MachineID::Dispenser), type);
}

bool NECommandQueueManager::addItem(NECommand *command, NECommandQueue **taken)
{
    NECommandQueue *queue = routeQueue(command);
    if (!queue)
        return false;
    queue->addItem(command);
    if (taken)
        *taken = queue;
    return true;
}

bool NECommandQueueManager::removeItem(NECommand *command)
{
    for (NECommandQueue *queue : qAsConst(m_queues))
        if (queue->removeItem(command))
            return true;
    return false;
}

bool NECommandQueueManager::clearCommandQueue(int driverID, const MachineID &machineID, QueueType type)
{
    NECommandQueue *queue = getCommandQueue(driverID, machineID, type);
    if (!queue)
        return false;
    queue->clear();
    return true;
}

bool NECommandQueueManager::existCommandQueue(int driverID, const MachineID &machineID, QueueType type) const
{
    return getCommandQueue(driverID, machineID, type) != nullptr;
}

NECommandQueue *NECommandQueueManager::getCommandQueue(int driverID, const MachineID &machineID,
                                                       QueueType type) const
{
    for (NECommandQueue *queue : m_queues)
        if (queue->driverID() == driverID && queue->machineID() == machineID && queue->type() == type)
            return queue;
    return nullptr;
}

void NECommandQueueManager::removeAllCommandQueues(int driverID)
{
    for (int i = m_queues.size() - 1; i >= 0; --i) {
        NECommandQueue *queue = m_queues.at(i);
        if (driverID != -1 && queue->driverID() != driverID)
            continue;
        queue->terminateAllCommands();
        delete queue;
        m_queues.removeAt(i);
    }
}

bool NECommandQueueManager::removeCommandQueue(int driverID, const MachineID &machineID, QueueType type)
{
    for (int i = m_queues.size() - 1; i >= 0; --i) {
        NECommandQueue *queue = m_queues.at(i);
        if (queue->driverID() == driverID && queue->machineID() == machineID && queue->type() == type) {
            queue->terminateAllCommands();
            delete queue;
            m_queues.removeAt(i);
            return true;
        }
    }
    return false;
}

QueueType NECommandQueueManager::getQueueType(NEDriverParams::DriverThreadTypes threadType)
{
    return threadType >= 0 && threadType <= 4 ? static_cast<QueueType>(threadType) : NoQueue;
}

NEDriverParams::DriverThreadTypes NECommandQueueManager::getThreadType(QueueType type)
{
    return type >= StandardQueue && type <= ScaleQueue ? static_cast<NEDriverParams::DriverThreadTypes>(type)
                                                       : NEDriverParams::StandardCommandsThread;
}
