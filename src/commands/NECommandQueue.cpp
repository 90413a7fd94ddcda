#include "NECommandQueue.h"

#include "FW_DriverError.h"
#include "NECommand.h"

NECommandQueue::NECommandQueue() : m_driverID(0), m_machineID(0, MachineID::Dispenser), m_type(NoQueue)
{
}

NECommandQueue::NECommandQueue(int driverID, const MachineID &machineID, QueueType type) : NECommandQueue()
{
    setDriverID(driverID);
    setMachineID(machineID);
    setType(type);
}

NECommandQueue::~NECommandQueue() = default;

void NECommandQueue::setDriverID(int driverID)
{
    if (driverID > 0)
        m_driverID = driverID;
}

void NECommandQueue::setType(QueueType type)
{
    if (checkType(type))
        m_type = type;
}

void NECommandQueue::addItem(NECommand *command)
{
    if (command)
        m_items.append(command);
}

NECommand *NECommandQueue::takeFirstItem()
{
    return m_items.isEmpty() ? nullptr : m_items.takeFirst();
}

void NECommandQueue::clear()
{
    while (NECommand *command = takeFirstItem())
        command->setExecutionStatus(CmdStatus::CMD_INTERRUPTED);
}

void NECommandQueue::terminateAllCommands()
{
    while (NECommand *command = takeFirstItem())
        command->setFailureExecution(
            FW_DriverError(QStringLiteral("Command interrupted - queue erased"), QStringLiteral("TE00486")));
}

bool NECommandQueue::checkType(QueueType type)
{
    return type >= StandardQueue && type <= ScaleQueue;
}

QueueType NECommandQueue::getTypeForCommThread(int threadType)
{
    return threadType >= ConfigurationQueue && threadType <= ScaleQueue ? static_cast<QueueType>(threadType)
                                                                         : StandardQueue;
}
