#include "NEQueueThreadManager.h"

#include "AXOCommData.h"
#include "NECommand.h"
#include "NEQueueThread.h"

#include <QtCore/QMutex>
#include <QtCore/QThread>
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

namespace {

QMutex s_poolMutex;

// Starts the worker now: when every pool thread is taken, the pool grows.
void startWorker(NEQueueThread *worker)
{
    worker->setAutoDelete(true);
    QThreadPool *pool = NEQueueThreadManager::workerPool();
    QMutexLocker locker(&s_poolMutex);
    if (!pool->tryStart(worker)) {
        pool->setMaxThreadCount(pool->maxThreadCount() + 1);
        pool->start(worker, 0);
    }
}

} // namespace

QThreadPool *NEQueueThreadManager::workerPool()
{
    // Never deleted: workers may still be winding down while the process
    // exits, and a pool's destructor would wait for them.
    static QThreadPool *pool = [] {
        QThreadPool *created = new QThreadPool();
        created->setMaxThreadCount(qMax(4, QThread::idealThreadCount()));
        created->setExpiryTimeout(30000);
        return created;
    }();
    return pool;
}

bool NEQueueThreadManager::sendCommand(NECommand *command, bool copy)
{
    // A short command needs nobody sleeping beside it: whoever ends it
    // finishes it. A ticket-followed one has a worker that reports its
    // progress while it runs.
    if (command && command->driverCallType() != AsyncCall) {
        NEQueueThread::sendDetached(command, copy);
        return true;
    }
    startWorker(new NEQueueThread(command, copy));
    return true;
}

bool NEQueueThreadManager::sendCommands(const QList<NECommand *> &commands, bool copy)
{
    startWorker(new NEQueueThread(commands, copy));
    return true;
}
