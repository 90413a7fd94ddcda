#include "NEQueueThread.h"

#include "AXOCommData.h"
#include "CmdStatus.h"
#include "FW_DriverError.h"
#include "NECommand.h"
#include "NEXmlRpcThread.h"

#include <QtCore/QEventLoop>
#include <QtCore/QThread>
#include <QtCore/QTimer>

#include <atomic>

namespace {
std::atomic<int> s_runningWorkers{0};

struct RunningWorker
{
    RunningWorker() { ++s_runningWorkers; }
    ~RunningWorker() { --s_runningWorkers; }
};
} // namespace

int NEQueueThread::runningWorkers()
{
    return s_runningWorkers.load();
}

NEQueueThread::NEQueueThread(const QList<NECommand *> &commands, bool copy) : m_copy(copy)
{
    for (NECommand *command : commands)
        m_commands.append(copy && command ? new NECommand(*command) : command);
}

NEQueueThread::NEQueueThread(NECommand *command, bool copy) : NEQueueThread(QList<NECommand *> { command }, copy) { }

NEQueueThread::~NEQueueThread()
{
    stopProcess();
    if (!m_copy)
        return;
    for (NECommand *command : qAsConst(m_commands)) {
        if (!command)
            continue;
        // Only a copy with live signal connections must die in its own thread.
        if (command->formulaProgressSupported() && command->thread() != QThread::currentThread())
            command->deleteLater();
        else
            delete command;
    }
}

void NEQueueThread::run()
{
    executeCommands(false);
}

void NEQueueThread::stopProcess()
{
    QMutexLocker locker(&m_abortMutex);
    m_abort = true;
}

bool NEQueueThread::abort() const
{
    QMutexLocker locker(&m_abortMutex);
    return m_abort;
}

bool NEQueueThread::executeCommands(bool pumped)
{
    const RunningWorker running;
    AXOCommData *store = AXOCommData::instance();
    for (NECommand *command : qAsConst(m_commands)) {
        if (!command) {
            store->setError(
                FW_DriverError(QStringLiteral("Internal error in command enqueuing"), QStringLiteral("TE00184")), false,
                AXOCommData::EmitAlways);
            return false;
        }
        if (store->isQueueThreadsAbortSet()) {
            command->setCmdState(NECommand::NECmdAborted);
            return true;
        }
        if (!store->enqueueCommand(command)) {
            store->setError(command->driverID(), command->machineID(),
                FW_DriverError(QStringLiteral("Internal error in command enqueuing"), QStringLiteral("TE00185")), false,
                AXOCommData::EmitAlways);
            return false;
        }
        command->setCmdState(NECommand::NECmdEnqueued);
        const bool silent = command->silentExecution();
        if (!silent)
            store->NEEmitCommandEnqueuedSignal(*command);
        {
            QMutexLocker locker(&NEXmlRpcThread::commandSignalMutex);
            NEXmlRpcThread::commandEnqueuedCondition.wakeAll();
        }

        bool sent = false;
        for (;;) {
            const int status = command->executionStatus().status();
            if (status < CmdStatus::CMD_WAITING) {
                if (!sent && !silent) {
                    store->NEEmitCommandSentSignal(*command);
                    sent = true;
                }
                if (status <= CmdStatus::CMD_DONE) {
                    // The state first: once the executed signal is out, the
                    // worker no longer touches the caller's object, which its
                    // owner may then delete.
                    command->setCmdState(NECommand::NECmdExecuted);
                    if (!silent)
                        store->NEEmitCommandExecutedSignal(*command);
                    break;
                }
                if (status == CmdStatus::CMD_IN_PROGRESS && sent && !silent)
                    store->NEEmitCommandProgressSignal(*command);
            }
            if (store->isQueueThreadsAbortSet()) {
                command->setCmdState(NECommand::NECmdAborted);
                return true;
            }
            if (pumped) {
                QEventLoop loop;
                QTimer::singleShot(50, &loop, &QEventLoop::quit);
                loop.exec();
            } else {
                // Look again under the mutex: a command that ended between the
                // read above and the wait must not cost a whole wait.
                QMutexLocker locker(&NEXmlRpcThread::commandSignalMutex);
                if (command->executionStatus().status() == status)
                    NEXmlRpcThread::commandExecutedCondition.wait(
                        &NEXmlRpcThread::commandSignalMutex, sent && !silent ? 500 : 100);
            }
        }
    }
    return true;
}
