// The formula a dispensing command carries, its progress, and the
// command state whose changes start and stop following the dispenser.

#include "NECommand.h"

#include "AXOCommData.h"
#include "CircuitProcess.h"
#include "DispenserStatusAnswer.h"
#include "Formula.h"
#include "FormulaProgress.h"
#include "GetActiveCircuitsAnswer.h"
#include "MachineDriverStatusAnswer.h"
#include "NECmdManager.h"
#include "NELogger.h"
#include "ProtoCommandList.h"
#include "PurgeFormulaCmd.h"
#include "TintCmd.h"

#include <QtCore/QStringList>

// ---------------------------------------------------------------- formula progress

bool NECommand::getErogationFormula(Formula &formula) const
{
    QMutexLocker locker(&m_contentMutex);
    if (!m_protoCommand)
        return false;
    const QString name = m_protoCommand->command();
    if (name == ProtoCommandList::cmdStr(ProtoCommandList::TINT)
        || name == ProtoCommandList::cmdStr(ProtoCommandList::TINT2)) {
        if (const TintCmd *tint = dynamic_cast<const TintCmd *>(m_protoCommand.get())) {
            formula = tint->formula();
            return true;
        }
    } else if (name == ProtoCommandList::cmdStr(ProtoCommandList::PURGE)) {
        if (const PurgeFormulaCmd *purge = dynamic_cast<const PurgeFormulaCmd *>(m_protoCommand.get())) {
            formula = purge->formula();
            return true;
        }
    }
    return false;
}

FormulaProgress NECommand::formulaProgress() const
{
    QMutexLocker locker(&m_progressMutex);
    return m_formulaProgress ? *m_formulaProgress : FormulaProgress();
}

void NECommand::setFormulaProgress(const FormulaProgress &progress)
{
    QMutexLocker locker(&m_progressMutex);
    m_formulaProgress.reset(progress.clone());
}

void NECommand::clearFormulaProgress()
{
    QMutexLocker locker(&m_progressMutex);
    m_formulaProgress.reset();
}

bool NECommand::hasFormulaProgress() const
{
    QMutexLocker locker(&m_progressMutex);
    return m_formulaProgress != nullptr;
}

// ---------------------------------------------------------------- state

NECommand::NECmdState NECommand::cmdState() const
{
    QMutexLocker locker(&m_stateMutex);
    return m_cmdState;
}

void NECommand::setStateField(NECmdState state)
{
    QMutexLocker locker(&m_stateMutex);
    m_cmdState = state;
}

void NECommand::setCmdState(const NECmdState &state)
{
    // The bookkeeping first, the state last: a host that frees the command
    // as soon as it reads a final state must find the library done with it.
    if (m_formulaProgressSupported) {
        const MachineID dispenser(targetDispID(), MachineID::Dispenser);
        AXOCommData *store = AXOCommData::instance();
        if (state == NECmdEnqueued) {
            createConnections();
            Formula formula;
            FormulaProgress progress;
            if (getErogationFormula(formula)
                && NECmdManager::getFormulaExecution(m_driverID, targetDispID(), formula, progress)) {
                setFormulaProgress(progress);
                if (store->startDriverCommThread(m_driverID, dispenser, NEDriverParams::CircuitsProcessesThread))
                    store->setActiveCircuitProcess(m_driverID, dispenser, CircuitProcess::Dispensing);
            }
        } else if (state == NECmdExecuted || state == NECmdAborted) {
            store->stopDriverCommThread(
                m_driverID, dispenser, NEDriverParams::CircuitsProcessesThread, true, false, false);
            disconnectFormulaSlots();
            if (state == NECmdExecuted)
                clearFormulaProgress();
        }
    }
    setStateField(state);
}

void NECommand::createConnections()
{
    AXOCommData *store = AXOCommData::instance();
    disconnectFormulaSlots();
    const std::shared_ptr<FormulaFollower> follower = std::make_shared<FormulaFollower>();
    follower->command = this;
    QMutexLocker locker(&m_followMutex);
    m_follower = follower;
    // Direct: the answers are applied in the polling thread that got them,
    // whichever thread this command lives in and whether it runs an event
    // loop or not.
    m_executedConnection = connect(store, &AXOCommData::NECommandExecutedSignal, [follower](const NECommand &cmd) {
        QMutexLocker following(&follower->mutex);
        if (follower->command)
            follower->command->NECommandExecutedSlot(cmd);
    });
    m_statusConnection = connect(store, &AXOCommData::NEMachineDriverStatusChangedSignal,
                                 [follower](int driverID, const MachineID &machineID) {
                                     QMutexLocker following(&follower->mutex);
                                     if (follower->command)
                                         follower->command->NEMachineDriverStatusChangedSlot(driverID, machineID);
                                 });
}

void NECommand::disconnectFormulaSlots()
{
    QMutexLocker locker(&m_followMutex);
    if (m_follower) {
        // Waits for a call in flight; later ones find no command.
        QMutexLocker following(&m_follower->mutex);
        m_follower->command = nullptr;
    }
    m_follower.reset();
    if (m_executedConnection)
        QObject::disconnect(m_executedConnection);
    if (m_statusConnection)
        QObject::disconnect(m_statusConnection);
    m_executedConnection = QMetaObject::Connection();
    m_statusConnection = QMetaObject::Connection();
}

void NECommand::NECommandExecutedSlot(const NECommand &command)
{
    if (command.driverID() != m_driverID || command.targetDispID() != targetDispID()
        || command.command() != ProtoCommandList::cmdStr(ProtoCommandList::GET_ACTIVE_CIRCUITS)
        || command.status() != CmdStatus::CMD_DONE)
        return;
    const std::unique_ptr<ProtoAnswer> answer = command.getProtoAnswer();
    const GetActiveCircuitsAnswer *circuits = dynamic_cast<const GetActiveCircuitsAnswer *>(answer.get());
    if (!circuits)
        return;
    QMutexLocker locker(&m_progressMutex);
    const int process = circuits->circuitProcess();
    QStringList positions;
    for (int position : circuits->positionsIDList())
        positions.append(QString::number(position));
    NELogger::instance()->debug(
        QStringLiteral("GET_ACTIVE_CIRCUITS - circuit process : %1 - positions : %2 - state: %3")
            .arg(CircuitProcess::name(process), positions.join(QLatin1Char(',')), circuits->statusTypeMasksStr()));
    if (m_formulaProgress)
        m_formulaProgress->updateDosingProcess(circuits->getPositionsIDForStatusMask(2));
}

void NECommand::NEMachineDriverStatusChangedSlot(int driverID, const MachineID &machineID)
{
    if (driverID != m_driverID || machineID != m_machineID || !machineID.isDispenser())
        return;
    // The store is asked before the progress is locked: the store's own
    // locks come first wherever both are taken.
    const std::unique_ptr<MachineDriverStatusAnswer> status
        = AXOCommData::instance()->currentMachineDriverStatus(driverID, machineID);
    if (!status || !status->hasMachineStatusAnswer())
        return;
    const DispenserStatusAnswer *dispenser = dynamic_cast<const DispenserStatusAnswer *>(status->machineStatusAnswer());
    if (!dispenser || !dispenser->dispensingTrigger())
        return;
    QMutexLocker locker(&m_progressMutex);
    if (m_formulaProgress)
        m_formulaProgress->setProcess(2);
}
