#include "NEXmlRpcActiveDispsThread.h"

#include "AXOCommData.h"
#include "GetActiveDispAnswer.h"
#include "NECommand.h"
#include "NELogger.h"
#include "ProtoCommandList.h"

#include <memory>

namespace {

const int kAllMachineTypes = MachineID::Dispenser | MachineID::Scale | MachineID::Mixer;

} // namespace

NCCommand NEXmlRpcActiveDispsThread::makeQuery(const ProtoAnswer *previous) const
{
    return NCCommand(ProtoCommandList::cmdStr(ProtoCommandList::GET_ACTIVE_DISP), previous, kPollInterval, kPollHold,
                     nullptr);
}

FW_DriverError NEXmlRpcActiveDispsThread::queryConstructionError() const
{
    return FW_DriverError(QStringLiteral("An error occurred in active disp thread in command construction"),
                          QStringLiteral("TE00038"));
}

bool NEXmlRpcActiveDispsThread::acceptsAnswer(const ProtoAnswer &answer) const
{
    return dynamic_cast<const GetActiveDispAnswer *>(&answer) != nullptr;
}

bool NEXmlRpcActiveDispsThread::sameAnswer(const ProtoAnswer &previous, const ProtoAnswer &answer) const
{
    if (!NEXmlRpcPollingThread::sameAnswer(previous, answer))
        return false;
    const int listed = static_cast<const GetActiveDispAnswer &>(answer).dispenserStatusList().size();
    return listed == AXOCommData::instance()->getDispenserStatusList(driverID()).size();
}

void NEXmlRpcActiveDispsThread::pollFailed(NECommand *command)
{
    // Only a driver that cannot be reached, not a stop (which closes the
    // connection under the call) nor a refusal.
    if (!command || abortOperations() || !command->errors().containsCode(QStringLiteral("TE00005")))
        return;
    AXOCommData *store = AXOCommData::instance();
    const int driver = driverID();
    const QList<MachineStatus *> statuses = store->getMachineStatusList(driver, kAllMachineTypes);
    bool cleared = false;
    for (MachineStatus *status : statuses) {
        if (status && status->isActive()) {
            status->setActive(false);
            cleared = true;
        }
    }
    if (cleared) {
        NELogger::instance()->warning(
            QStringLiteral("Driver %1 not reachable: its machines are reported inactive").arg(driver));
        auto inactive = std::make_unique<GetActiveDispAnswer>(statuses);
        if (command->setProtoAnswer(inactive.get())) {
            command->setExecutionStatus(ProtoAnswer::RC_OK);
            store->NEEmitCommandExecutedSignal(*command);
        }
        // The next answer is compared with what the application was told.
        setPreviousAnswer(std::move(inactive));
        // Only this driver's sessions: another driver's machines are not concerned.
        store->removeDriverSessions(driver);
    }
    qDeleteAll(statuses);
}
