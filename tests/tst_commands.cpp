// The command object and the queues: construction failures with their codes
// and places, classification and time limits, copies, status predicates,
// routing to the five queues and the failure of waiting commands.

#include "AXOCommData.h"
#include "CmdStatus.h"
#include "FW_Exception.h"
#include "GetCommandStatusCmd.h"
#include "LoginCmd.h"
#include "NCCommand.h"
#include "NECommand.h"
#include "NECommandQueue.h"
#include "NECommandQueueManager.h"
#include "NECurrDispCommand.h"
#include "NEDispCommand.h"
#include "NEMixerCommand.h"
#include "AXOCurrentCommData.h"
#include "ProtoCommandList.h"
#include "XmlRpcAnswer.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const MachineID kDispenser1(1, MachineID::Dispenser);
const MachineID kDriverDispenser(0, MachineID::Dispenser);

// Runs the call and returns the FW_Exception it throws (or fails the test).
FW_Exception thrownBy(const std::function<void()> &call)
{
    try {
        call();
    } catch (const FW_Exception &e) {
        return e;
    }
    ADD_FAILURE() << "no FW_Exception";
    return FW_Exception(QString(), QString(), QString());
}

class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        NEDriverParamsList drivers;
        drivers.appendNEDriverParams(NEDriverParams(1, AXODriverConnection()));
        drivers.appendNEDriverParams(NEDriverParams(2, SlaveDriver));
        AXOCommData::instance()->setDriverParamsList(drivers);
    }
    void TearDown() override
    {
        AXOCommData::drop();
        AXOCurrentCommData::drop();
    }
};

} // namespace

TEST_F(StoreTest, ConstructorsThrowWithCodeAndPlace)
{
    FW_Exception e = thrownBy([] { NECommand(1, kDispenser1, QStringLiteral("NO_SUCH")); });
    EXPECT_EQ(e.errorCode(), QStringLiteral("TE00006"));
    EXPECT_EQ(e.errorMsg(), QStringLiteral("Unexisting command"));
    EXPECT_EQ(e.place(),
              QStringLiteral("__thiscall NECommand::NECommand(const int,const struct MachineID &,const class QString)"));
    EXPECT_EQ(e.error().errorCode(), QStringLiteral("TE00006"));

    e = thrownBy([] { NECommand(1, kDispenser1, QStringLiteral("NO_SUCH"), QVariant(1)); });
    EXPECT_EQ(e.errorCode(), QStringLiteral("TE00035"));
    e = thrownBy([] { NECommand(1, kDispenser1, QStringLiteral(""), QList<QVariant>()); });
    EXPECT_EQ(e.errorCode(), QStringLiteral("TE00007"));
    e = thrownBy([] { NECommand(1, kDispenser1, QStringLiteral("NO_SUCH"), QList<QVariant>(), nullptr); });
    EXPECT_EQ(e.errorCode(), QStringLiteral("TE00001"));
    EXPECT_TRUE(e.place().endsWith(QStringLiteral("class QList<class QVariant>,class FW_Machine *)")));

    e = thrownBy([] { NECommand(1, kDispenser1, static_cast<const ProtoCommand *>(nullptr)); });
    EXPECT_EQ(e.errorCode(), QStringLiteral("TE00003"));
    EXPECT_EQ(e.errorMsg(), QStringLiteral("Invalid protoCommand"));
    const ProtoCommand unknown(QStringLiteral("NO_SUCH"));
    e = thrownBy([&] { NECommand(1, kDispenser1, &unknown); });
    EXPECT_EQ(e.errorCode(), QStringLiteral("TE00002"));

    e = thrownBy([] { NECommand(1, kDispenser1, static_cast<const NCCommand *>(nullptr)); });
    EXPECT_EQ(e.errorCode(), QStringLiteral("TE00145"));
    const NCCommand empty(QString(), nullptr, 500, 10000);
    e = thrownBy([&] { NECommand(1, kDispenser1, &empty); });
    EXPECT_EQ(e.errorCode(), QStringLiteral("TE00189"));
    EXPECT_EQ(e.errorMsg(), QStringLiteral("Invalid command"));
    const NCCommand unknownQuery(QStringLiteral("NO_SUCH"), nullptr, 500, 10000);
    e = thrownBy([&] { NECommand(1, kDispenser1, &unknownQuery); });
    EXPECT_EQ(e.errorCode(), QStringLiteral("TE00188"));
}

TEST_F(StoreTest, MachineAddressingAndCallTypes)
{
    // A driver-level command keeps number 0 but the caller's machine type.
    const NECommand version(1, MachineID(3, MachineID::Mixer), QStringLiteral("GET_SW_VERSION"));
    EXPECT_EQ(version.machineID(), MachineID(0, MachineID::Mixer));
    EXPECT_TRUE(version.isSyncCommandCall());

    const NEDispCommand reset(1, 2, QStringLiteral("RESET"));
    EXPECT_EQ(reset.machineID(), MachineID(2, MachineID::Dispenser));
    EXPECT_EQ(reset.targetDispID(), 2);
    EXPECT_TRUE(reset.isAsyncCommandCall());
    EXPECT_EQ(reset.executionStatus().status(), CmdStatus::CMD_CREATED);
    EXPECT_FALSE(reset.startedExecution());

    // Long processes run synchronously on a slave driver; unknown drivers count as main drivers.
    EXPECT_TRUE(NEDispCommand(2, 2, QStringLiteral("RESET")).isSyncCommandCall());
    EXPECT_TRUE(NEDispCommand(7, 2, QStringLiteral("RESET")).isAsyncCommandCall());
    EXPECT_EQ(NECommand::driverCallType(QStringLiteral("SAVE_CONFIG"), 0), SyncCall);

    const NEMixerCommand mixer(1, 3, QStringLiteral("GET_MIXER_STATUS"));
    EXPECT_EQ(mixer.machineID(), MachineID(3, MachineID::Mixer));
    EXPECT_EQ(mixer.targetDispID(), -1);

    AXOCurrentCommData::instance()->setCurrentDriverID(1);
    AXOCurrentCommData::instance()->setCurrentDispenserID(4);
    const NECurrDispCommand current(QStringLiteral("GET_DISP_STATUS"));
    EXPECT_EQ(current.driverID(), 1);
    EXPECT_EQ(current.machineID(), MachineID(4, MachineID::Dispenser));

    const NCCommand query(QStringLiteral("GET_DISP_STATUS"), nullptr, 500, 10000);
    const NECommand poll(1, kDispenser1, &query);
    EXPECT_TRUE(poll.isNotifyChangedCommandCall());
    EXPECT_TRUE(poll.ignoreStatusChange());
    EXPECT_EQ(poll.callTimeout(), 20000);
    bool ok = false;
    const XmlRpc::XmlRpcValue call = poll.toXmlRpcValue(QStringLiteral("abc"), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(call["cmd"].asString(), "GET_DISP_STATUS");
    EXPECT_EQ(call["session"].asString(), "abc");
    EXPECT_EQ(call["interval"].asInt(), 500);
    EXPECT_EQ(call["timeout"].asInt(), 10000);
}

TEST_F(StoreTest, TimeLimitsAndClassification)
{
    EXPECT_EQ(NEDispCommand(1, 1, QStringLiteral("RESET")).callTimeout(), 11000);
    // Synchronous: the catalogue's limit plus 10 s, none without one.
    EXPECT_EQ(NEDispCommand(1, 1, QStringLiteral("STOP")).callTimeout(), 70000);
    EXPECT_EQ(NECommand(1, kDriverDispenser, QStringLiteral("GET_SW_VERSION")).callTimeout(), 0);
    // No overall limit for dispensing and firmware updates.
    EXPECT_EQ(NEDispCommand(1, 1, QStringLiteral("TINT")).commandTimeout(), 0);
    EXPECT_EQ(NEDispCommand(1, 1, QStringLiteral("UPDATE_FW")).commandTimeout(), 0);

    const NEDispCommand tint(1, 1, QStringLiteral("TINT"));
    EXPECT_TRUE(tint.isErogationCommand(true));
    EXPECT_FALSE(NEDispCommand(1, 1, QStringLiteral("PRIMING")).isErogationCommand(true));
    EXPECT_TRUE(NEDispCommand(1, 1, QStringLiteral("SAVE_CONFIG")).isConfigurationCommand());
    EXPECT_TRUE(NEDispCommand(1, 1, QStringLiteral("SAVE_CONFIG")).unstoppableCommand());
    EXPECT_TRUE(NEDispCommand(1, 1, QStringLiteral("SEND_FW_PACKAGE")).isFwUpdateCommand());
    EXPECT_FALSE(tint.ignoreStatusChange());
    NEDispCommand polled(1, 1, QStringLiteral("RESET"));
    polled.setPollingExecution(true);
    EXPECT_TRUE(polled.ignoreStatusChange());
    EXPECT_EQ(QString(tint), QStringLiteral("Command TINT"));
}

TEST_F(StoreTest, StatusPredicatesAndFailures)
{
    NEDispCommand cmd(1, 1, QStringLiteral("GET_ERRORS"));
    const struct
    {
        int status;
        bool executed, failed, done;
    } cases[] = {{1, false, false, false}, {0, true, false, true},  {-1, true, true, false},
                 {-2, true, true, false},  {-3, true, true, false}, {-4, true, false, false}};
    for (const auto &c : cases) {
        cmd.setExecutionStatus(static_cast<CmdStatus::CommandStatusList>(c.status));
        EXPECT_EQ(cmd.isExecuted(), c.executed) << c.status;
        EXPECT_EQ(cmd.isFailed(), c.failed) << c.status;
        EXPECT_EQ(cmd.isDoneSuccessfully(), c.done) << c.status;
    }
    cmd.setExecutionStatus(ProtoAnswer::RC_REFUSED);
    EXPECT_TRUE(cmd.hasBeenRefused());
    cmd.setExecutionStatus(ProtoAnswer::RC_INTERRUPTED);
    EXPECT_TRUE(cmd.hasBeenInterrupted());
    cmd.setExecutionStatus(ProtoAnswer::RC_INVALID_SESSION);
    EXPECT_TRUE(cmd.hasExecutionErrors());

    cmd.setExecutionStatus(CmdStatus::CMD_IN_PROGRESS);
    EXPECT_FALSE(cmd.setFailureExecution(FW_DriverError(QStringLiteral("gone"), QStringLiteral("TE00005"))));
    EXPECT_TRUE(cmd.hasExecutionErrors());
    EXPECT_TRUE(cmd.errors().containsCode(QStringLiteral("TE00005")));
}

TEST_F(StoreTest, CopiesAreIndependent)
{
    auto *original = new NEDispCommand(1, 1, QStringLiteral("GET_ERRORS"));
    original->setExecutionStatus(CmdStatus::CMD_IN_PROGRESS);
    original->setCmdState(NECommand::NECmdSent);
    XmlRpcAnswer answer;
    ASSERT_TRUE(original->setProtoAnswer(&answer));

    NECommand copy(*original);
    EXPECT_EQ(copy, *original);
    EXPECT_TRUE(copy.equalTo(*original, true));
    copy.setCmdState(NECommand::NECmdExecuted);
    EXPECT_EQ(copy, *original); // the state is not part of plain equality
    EXPECT_FALSE(copy.equalTo(*original, true));

    delete original; // the copy keeps its own protocol command and answer
    EXPECT_EQ(copy.command(), QStringLiteral("GET_ERRORS"));
    bool ok = false;
    EXPECT_TRUE(copy.getXmlRpcAnswer(&ok) && ok);
    EXPECT_EQ(copy.executionStatus().status(), CmdStatus::CMD_IN_PROGRESS);

    NECommand assigned;
    assigned = copy;
    EXPECT_EQ(assigned.command(), QStringLiteral("GET_ERRORS"));
    EXPECT_NE(assigned, NECommand(1, kDriverDispenser, QStringLiteral("GET_SW_VERSION")));
}

TEST_F(StoreTest, RoutingToTheFiveQueues)
{
    AXOCommData *store = AXOCommData::instance();
    // Machine 1 has all five command threads; the driver level only a standard one.
    for (int type = 0; type <= 4; ++type)
        ASSERT_TRUE(store->createDriverCommThread(1, kDispenser1, static_cast<NEDriverParams::DriverThreadTypes>(type)));
    ASSERT_TRUE(store->createDriverCommThread(1, kDriverDispenser, NEDriverParams::StandardCommandsThread));

    NEDispCommand stop(1, 1, QStringLiteral("STOP"));
    NEDispCommand save(1, 1, QStringLiteral("SAVE_DISP_CONFIG"));
    NEDispCommand weigh(1, 1, QStringLiteral("WEIGHT"));
    NEDispCommand reset(1, 1, QStringLiteral("RESET"));
    EXPECT_EQ(NECommandQueueManager::routeQueueType(stop), StopQueue);
    EXPECT_EQ(NECommandQueueManager::routeQueueType(save), ConfigurationQueue);
    EXPECT_EQ(NECommandQueueManager::routeQueueType(weigh), ScaleQueue);
    EXPECT_EQ(NECommandQueueManager::routeQueueType(reset), StandardQueue);
    for (NECommand *c : {static_cast<NECommand *>(&stop), static_cast<NECommand *>(&save),
                         static_cast<NECommand *>(&weigh), static_cast<NECommand *>(&reset)})
        EXPECT_TRUE(store->enqueueCommand(c)) << qPrintable(c->command());
    EXPECT_EQ(store->commandQueueCount(1, kDispenser1, StopQueue), 1);
    EXPECT_EQ(store->commandQueueCount(1, kDispenser1, ConfigurationQueue), 1);
    EXPECT_EQ(store->commandQueueCount(1, kDispenser1, ScaleQueue), 1);
    EXPECT_EQ(store->takeFirstCommand(1, kDispenser1, StandardQueue), &reset);
    EXPECT_EQ(store->takeFirstCommand(1, kDispenser1, StandardQueue), nullptr);

    // High priority goes to the priority queue.
    bool foundPriority = false;
    for (const QString &name : ProtoCommandList::commandNames()) {
        if (!ProtoCommandList::hasHighSchedulingPriority(name) || name == QLatin1String("STOP"))
            continue;
        NEDispCommand urgent(1, 1, name);
        EXPECT_EQ(NECommandQueueManager::routeQueueType(urgent), PriorityQueue) << qPrintable(name);
        foundPriority = true;
        break;
    }
    EXPECT_TRUE(foundPriority);

    // Configuration and scale commands for machine number 0 go to the standard queue.
    NECommand driverSave(1, kDriverDispenser, QStringLiteral("SAVE_CONFIG"));
    EXPECT_EQ(NECommandQueueManager::routeQueueType(driverSave), StandardQueue);
    EXPECT_TRUE(store->enqueueCommand(&driverSave));
    EXPECT_EQ(store->commandQueueCount(1, kDriverDispenser, StandardQueue), 1);
    store->clearCommandQueue(1, kDriverDispenser, StandardQueue);
    EXPECT_EQ(driverSave.errors().size(), 0); // cleared silently

    // Closing the driver's queues fails what still waits.
    store->removeAllCommandQueues(1);
    for (const NECommand *c : {&stop, &save, &weigh})
        EXPECT_TRUE(c->errors().containsCode(QStringLiteral("TE00486"))) << qPrintable(c->command());
    EXPECT_TRUE(reset.errors().isEmpty());
}

TEST_F(StoreTest, MissingThreadsAndDriverLevelFallback)
{
    AXOCommData *store = AXOCommData::instance();
    NEDispCommand reset(1, 5, QStringLiteral("RESET"));
    // No thread for machine 5: refused even though the driver-level queue exists.
    ASSERT_TRUE(store->createDriverCommThread(1, kDriverDispenser, NEDriverParams::StandardCommandsThread));
    EXPECT_FALSE(store->enqueueCommand(&reset));
    EXPECT_FALSE(store->enqueueCommand(nullptr));

    // A thread for machine 5 whose queue is gone: the driver-level queue takes the command.
    ASSERT_TRUE(store->createDriverCommThread(1, MachineID(5, 1), NEDriverParams::StandardCommandsThread));
    NECommandQueueManager manager;
    manager.addCommandQueue(1, kDriverDispenser, StandardQueue);
    EXPECT_TRUE(manager.addItem(&reset));
    EXPECT_EQ(manager.getCommandQueue(1, kDriverDispenser, StandardQueue)->count(), 1);
    EXPECT_TRUE(manager.removeCommandQueue(1, kDriverDispenser, StandardQueue));
    EXPECT_FALSE(manager.removeCommandQueue(1, kDriverDispenser, StandardQueue));
    // A removed queue fails what still waits in it: nothing is stranded.
    EXPECT_TRUE(reset.errors().containsCode(QStringLiteral("TE00486")));
    EXPECT_TRUE(reset.isFailed());

    // Unregistered drivers have no threads.
    NEDispCommand elsewhere(9, 1, QStringLiteral("RESET"));
    EXPECT_FALSE(store->enqueueCommand(&elsewhere));
}

TEST_F(StoreTest, RemovingQueuesFailsWaitingCommands)
{
    NECommandQueueManager manager;
    manager.addCommandQueue(1, kDispenser1, StandardQueue);
    manager.addCommandQueue(1, kDispenser1, StandardQueue); // no duplicate
    manager.addCommandQueue(2, kDispenser1, PriorityQueue);
    EXPECT_EQ(manager.numOfCommandQueues(), 2);

    NEDispCommand first(1, 1, QStringLiteral("RESET"));
    NEDispCommand second(2, 1, QStringLiteral("RESET"));
    manager.getCommandQueue(1, kDispenser1, StandardQueue)->addItem(&first);
    manager.getCommandQueue(2, kDispenser1, PriorityQueue)->addItem(&second);

    manager.removeAllCommandQueues(1);
    EXPECT_EQ(manager.numOfCommandQueues(), 1);
    EXPECT_TRUE(first.errors().containsCode(QStringLiteral("TE00486")));
    EXPECT_EQ(first.errors().at(0).errorMsg(), QStringLiteral("Command interrupted - queue erased"));
    EXPECT_TRUE(first.hasExecutionErrors());
    EXPECT_TRUE(second.errors().isEmpty());

    manager.removeAllCommandQueues(-1);
    EXPECT_EQ(manager.numOfCommandQueues(), 0);
    EXPECT_TRUE(second.errors().containsCode(QStringLiteral("TE00486")));
}

TEST(CommandQueue, KeyRulesAndThreadMapping)
{
    NECommandQueue queue(1, kDispenser1, StandardQueue);
    queue.setType(static_cast<QueueType>(7));
    queue.setDriverID(0);
    EXPECT_EQ(queue.type(), StandardQueue);
    EXPECT_EQ(queue.driverID(), 1);
    EXPECT_EQ(NECommandQueue().type(), NoQueue);
    EXPECT_EQ(NECommandQueue().machineID(), MachineID(0, 1));
    queue.addItem(nullptr);
    EXPECT_EQ(queue.count(), 0);

    EXPECT_EQ(NECommandQueue::getTypeForCommThread(3), StopQueue);
    EXPECT_EQ(NECommandQueue::getTypeForCommThread(5), StandardQueue);
    EXPECT_EQ(NECommandQueueManager::getQueueType(NEDriverParams::ScaleCommandsThread), ScaleQueue);
    EXPECT_EQ(NECommandQueueManager::getQueueType(NEDriverParams::DriverStatusThread), NoQueue);
    EXPECT_EQ(NECommandQueueManager::getThreadType(NoQueue), NEDriverParams::StandardCommandsThread);
}
