#include "NEQueueThreadManager.h"

#include "AXOCommData.h"
#include "NECommand.h"
#include "NEQueueThread.h"

#include <QtCore/QThreadPool>

bool NEQueueThreadManager::execCommand(NECommand *command)
{
    NEQueueThread worker(command, false);
    const bool ran = worker.executeCommands(false);
    if (ran && command && command->hasErrors())
        AXOCommData::instance()->appendErrorList(command->driverID(), command->machineID(), command->errors());
    return ran;
}

bool NEQueueThreadManager::execCommands(const QList<NECommand *> &commands)
{
    NEQueueThread worker(commands, false);
    return worker.executeCommands(false);
}

bool NEQueueThreadManager::sendCommand(NECommand *command, bool copy)
{
    NEQueueThread *worker = new NEQueueThread(command, copy);
    worker->setAutoDelete(true);
    QThreadPool::globalInstance()->start(worker, 0);
    return true;
}

bool NEQueueThreadManager::sendCommands(const QList<NECommand *> &commands, bool copy)
{
    NEQueueThread *worker = new NEQueueThread(commands, copy);
    worker->setAutoDelete(true);
    QThreadPool::globalInstance()->start(worker, 0);
    return true;
}
