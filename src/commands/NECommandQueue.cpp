#include "NECommandQueue.h"

#include "FW_DriverError.h"
#include "NECommand.h"

namespace {

thread_local QList<NECommand::CompletionHook> *t_deferred = nullptr;

// Ends a command taken out of its queue: the status (or failure) is the last
// touch, then the hook of a command nobody waits for finishes it.
void endWaiting(NECommand *command, const FW_DriverError *failure)
{
    NECommand::CompletionHook hook = command->takeCompletionHook();
    if (failure)
        command->setFailureExecution(*failure);
    else
        command->setExecutionStatus(CmdStatus::CMD_INTERRUPTED);
    if (!hook)
        return;
    if (t_deferred)
        t_deferred->append(std::move(hook));
    else
        hook();
}

} // namespace

NECommandQueue::DeferCompletions::DeferCompletions()
{
    if (t_deferred)
        return; // an outer one runs them
    t_deferred = new QList<NECommand::CompletionHook>();
    m_owner = true;
}

NECommandQueue::DeferCompletions::~DeferCompletions()
{
    if (!m_owner)
        return;
    QList<NECommand::CompletionHook> *hooks = t_deferred;
    t_deferred = nullptr;
    if (!hooks)
        return;
    for (NECommand::CompletionHook &hook : *hooks)
        hook();
    delete hooks;
}

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
        endWaiting(command, nullptr);
}

void NECommandQueue::terminateAllCommands()
{
    const FW_DriverError erased(QStringLiteral("Command interrupted - queue erased"), QStringLiteral("TE00486"));
    while (NECommand *command = takeFirstItem())
        endWaiting(command, &erased);
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
