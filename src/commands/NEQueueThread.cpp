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

FW_DriverError enqueueError(const char *code)
{
    return FW_DriverError(QStringLiteral("Internal error in command enqueuing"), QLatin1String(code));
}
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
    m_detached = true;
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
    for (int i = 0; i < m_commands.size(); ++i) {
        NECommand *command = m_commands.at(i);
        if (!command) {
            store->setError(enqueueError("TE00184"), false, AXOCommData::EmitAlways);
            endUnrun(i + 1);
            return false;
        }
        const bool silent = command->silentExecution();
        if (store->isQueueThreadsAbortSet()) {
            endUnrun(i);
            return true;
        }
        // The state before the enqueue: from then on a driver thread may
        // move it on.
        command->setCmdState(NECommand::NECmdEnqueued);
        // A short command whose thread is idle runs here, through that
        // thread's pipeline, rather than waking it and sleeping until it is
        // done; a ticket-followed one goes to the thread, so that its
        // progress is reported while it runs.
        NEXmlRpcThread *idle = !pumped && command->driverCallType() != AsyncCall ? store->claimIdleThread(command)
                                                                                 : nullptr;
        if (!idle && !store->enqueueCommand(command)) {
            const FW_DriverError error = enqueueError("TE00185");
            store->setError(command->driverID(), command->machineID(), error, false, AXOCommData::EmitAlways);
            command->setFailureExecution(error);
            finish(command, NECommand::NECmdExecuted, silent);
            endUnrun(i + 1);
            return false;
        }
        if (!silent)
            store->NEEmitCommandEnqueuedSignal(*command);
        if (idle)
            idle->runClaimed(command);
        if (!follow(command, silent, pumped)) {
            endUnrun(i + 1);
            return true;
        }
    }
    return true;
}

bool NEQueueThread::follow(NECommand *command, bool silent, bool pumped)
{
    AXOCommData *store = AXOCommData::instance();
    bool sent = false;
    NECommand::StatusSnapshot now = command->statusSnapshot();
    for (;;) {
        if (now.status < CmdStatus::CMD_WAITING) {
            if (!sent && !silent) {
                store->NEEmitCommandSentSignal(*command);
                sent = true;
            }
            if (now.status <= CmdStatus::CMD_DONE && !now.held) {
                finish(command, NECommand::NECmdExecuted, silent);
                return true;
            }
            if (now.status == CmdStatus::CMD_IN_PROGRESS && sent && !silent)
                store->NEEmitCommandProgressSignal(*command);
        }
        // On shut-down a command still waiting in its queue is taken out and
        // ends here; one a driver thread holds ends with the thread's stop.
        if (store->isQueueThreadsAbortSet() && store->removeQueuedCommand(command)) {
            command->setExecutionStatus(CmdStatus::CMD_INTERRUPTED);
            finish(command, NECommand::NECmdAborted, silent);
            return false;
        }
        if (pumped) {
            QEventLoop loop;
            QTimer::singleShot(50, &loop, &QEventLoop::quit);
            loop.exec();
            now = command->statusSnapshot();
        } else {
            now = command->waitForStatusChange(now.generation, sent && !silent ? 500 : 100);
        }
    }
}

void NEQueueThread::finish(NECommand *command, int state, bool silent)
{
    const NECommand::NECmdState final = static_cast<NECommand::NECmdState>(state);
    if (silent) {
        command->setCmdState(final);
        return;
    }
    AXOCommData *store = AXOCommData::instance();
    if (m_detached && !m_copy) {
        // The caller's object, which it may free as soon as it reads the
        // final state: the signal carries a snapshot, the state comes last.
        NECommand snapshot(*command);
        snapshot.setStateField(final);
        store->NEEmitCommandExecutedSignal(snapshot);
        command->setCmdState(final);
        return;
    }
    command->setCmdState(final);
    store->NEEmitCommandExecutedSignal(*command);
}

void NEQueueThread::endUnrun(int first)
{
    for (int i = first; i < m_commands.size(); ++i) {
        NECommand *command = m_commands.at(i);
        if (!command)
            continue;
        command->setExecutionStatus(CmdStatus::CMD_INTERRUPTED);
        finish(command, NECommand::NECmdAborted, command->silentExecution());
    }
}

void NEQueueThread::sendDetached(NECommand *original, bool copy)
{
    AXOCommData *store = AXOCommData::instance();
    NECommand *command = copy ? new NECommand(*original) : original;
    if (store->isQueueThreadsAbortSet()) {
        command->setExecutionStatus(CmdStatus::CMD_INTERRUPTED);
        finishDetached(command, copy, NECommand::NECmdAborted, false);
        return;
    }
    // A command handed over again starts afresh.
    command->setExecutionStatus(CmdStatus::CMD_WAITING);
    command->setCmdState(NECommand::NECmdEnqueued);
    if (!store->enqueueCommand(command)) {
        const FW_DriverError error = enqueueError("TE00185");
        store->setError(command->driverID(), command->machineID(), error, false, AXOCommData::EmitAlways);
        command->setFailureExecution(error);
        finishDetached(command, copy, NECommand::NECmdExecuted, false);
        return;
    }
    if (!command->silentExecution())
        store->NEEmitCommandEnqueuedSignal(*command);
    // Installed once the enqueued signal is out: a command that has ended
    // meanwhile is finished here instead.
    if (!command->setCompletionHook(
            [command, copy] { finishDetached(command, copy, NECommand::NECmdExecuted, true); }))
        finishDetached(command, copy, NECommand::NECmdExecuted, true);
}

void NEQueueThread::finishDetached(NECommand *command, bool copy, int state, bool sent)
{
    const NECommand::NECmdState final = static_cast<NECommand::NECmdState>(state);
    if (command->silentExecution()) {
        command->setCmdState(final);
    } else {
        AXOCommData *store = AXOCommData::instance();
        if (copy) {
            command->setCmdState(final);
            if (sent)
                store->NEEmitCommandSentSignal(*command);
            store->NEEmitCommandExecutedSignal(*command);
        } else {
            // The caller's object, which it may free as soon as it reads the
            // final state: the signals carry a snapshot, the state comes last.
            NECommand snapshot(*command);
            snapshot.setStateField(final);
            if (sent)
                store->NEEmitCommandSentSignal(snapshot);
            store->NEEmitCommandExecutedSignal(snapshot);
            command->setCmdState(final);
        }
    }
    if (!copy)
        return;
    if (command->formulaProgressSupported() && command->thread() != QThread::currentThread())
        command->deleteLater();
    else
        delete command;
}
