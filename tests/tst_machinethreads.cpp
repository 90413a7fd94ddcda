// The machine-level polling threads against the simulated driver: sensor
// readings, circuit states, circuit processes and the scale weight.

#include "CircuitsStatusAnswer.h"
#include "Formula.h"
#include "GetActiveCircuitsAnswer.h"
#include "HostSpy.h"
#include "NECommand.h"
#include "NELogger.h"
#include "NEXmlRpcCircuitsProcessThread.h"
#include "NEXmlRpcScaleWeightThread.h"
#include "NEXmlRpcSensorsThread.h"
#include "StartedDriver.h"
#include "WeightAnswer.h"

#include <spdlog/sinks/base_sink.h>
#include <spdlog/spdlog.h>

#include <QtCore/QElapsedTimer>

namespace {

using started::waitFor;

const MachineID kDispenser(1, MachineID::Dispenser);
const MachineID kPlainDispenser(4, MachineID::Dispenser);

// Dispenser 1: humidity probe, doses by weight onto scale 3. Dispenser 4:
// no sensors, no scale.
const char kScenario[] = R"({
  "timing": { "resetMs": 800, "dosingRate": 2.0, "channelMs": 400 },
  "machines": [
    { "type": "dispenser", "number": 1, "model": 5, "devices": [7], "dosingMode": 2, "scale": 3,
      "circuits": [ { "position": 1, "colorant": "WH1" }, { "position": 2, "colorant": "YE1" },
                    { "position": 3, "colorant": "RE1" } ] },
    { "type": "scale", "number": 3, "model": 40 },
    { "type": "dispenser", "number": 4, "model": 1, "circuits": [ { "position": 1, "colorant": "WH1" } ] }
  ]
})";

class LineSink : public spdlog::sinks::base_sink<std::mutex>
{
public:
    int count(const std::string &part)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        int n = 0;
        for (const std::string &line : m_lines)
            n += line.find(part) != std::string::npos ? 1 : 0;
        return n;
    }

protected:
    void sink_it_(const spdlog::details::log_msg &msg) override
    {
        m_lines.emplace_back(msg.payload.data(), msg.payload.size());
    }
    void flush_() override {}

private:
    std::vector<std::string> m_lines;
};

// The signals of one command name, as commands.
std::vector<std::shared_ptr<NECommand>> commandsNamed(const HostSpy &spy, const QString &name)
{
    std::vector<std::shared_ptr<NECommand>> list;
    for (const QList<QVariant> &args : spy.records()) {
        auto cmd = std::make_shared<NECommand>(args.at(0).value<NECommand>());
        if (cmd->command() == name)
            list.push_back(cmd);
    }
    return list;
}

QList<QList<QVariant>> ofDispenser(const HostSpy &spy, int dispID)
{
    QList<QList<QVariant>> list;
    for (const QList<QVariant> &args : spy.records())
        if (args.at(1).toInt() == dispID)
            list.append(args);
    return list;
}

class MachineThreadsTest : public StartedDriverTest
{
protected:
    // As the started driver, but the scale gets no session of its own (the
    // dispenser reads it) and only the dispensers need to come up.
    void SetUp() override
    {
        // The reactions start the scale-weight thread of a dispenser with a scale.
        qputenv(NEXmlRpcScaleWeightThread::kIntervalVariable, "250");
        // The logger is handed in before any thread runs.
        auto logger = std::make_shared<spdlog::logger>("machinethreads", sink);
        logger->set_level(spdlog::level::debug);
        NELogger::instance()->setLogger(logger);
        qputenv(AXOClientSettings::RootEnvironmentVariable, settingsRoot.path().toUtf8());
        driver.reset(new SimDriver(scenario()));
        ASSERT_TRUE(driver->start());
        port = driver->port();
        store = AXOCommData::instance();
        store->resetQueueThreadsAbort();
        store->setCommLevel(AXOCommData::CommLevel1);
        NECmdManager::setAccessLevel(accessLevel());
        driverID = store->getNextDriverID();
        store->addDriverParams(NEDriverParams(driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), port)));
        for (const MachineID &generic : {started::kGenericDispenser, started::kDriverWide})
            ASSERT_TRUE(store->startDriverCommThread(driverID, generic, NEDriverParams::StandardCommandsThread));
        ASSERT_TRUE(NECmdManager::login(driverID, started::kGenericDispenser, QStringLiteral("tests")));
        store->setClientID(QStringLiteral("tests"));
        const QList<MachineID> dispensers = {kDispenser, kPlainDispenser};
        store->updateMachineDataList(driverID, dispensers, MachineID::Dispenser);
        ASSERT_TRUE(NECmdManager::setSessions(driverID, dispensers, true));
        ASSERT_TRUE(store->startDriverCommThread(driverID, started::kGenericDispenser,
                                                 NEDriverParams::ActiveMachineThread));
        ASSERT_TRUE(waitFor([&] {
            return store->hasMachineStatus(driverID, kDispenser) && store->hasMachineStatus(driverID, kPlainDispenser);
        })) << "the dispensers did not come up";
        ASSERT_TRUE(NECmdManager::loadConfiguration(driverID, true));
        ASSERT_TRUE(waitFor([&] { return store->getSharedConfiguration(driverID).existDispenserById(1); }));
    }
    void TearDown() override
    {
        StartedDriverTest::TearDown();
        NELogger::drop();
        qunsetenv(NEXmlRpcScaleWeightThread::kIntervalVariable);
    }

    SimScenario scenario() const override
    {
        QString error;
        const SimScenario built = SimScenario::fromJson(QByteArray(kScenario), &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return built;
    }

    //! A spy that outlives the threads (the fixture's members go after TearDown).
    template<typename Signal>
    HostSpy &spy(Signal signal)
    {
        spies.emplace_back(new HostSpy(store, signal));
        return *spies.back();
    }

    std::vector<std::unique_ptr<HostSpy>> spies;
    std::shared_ptr<LineSink> sink = std::make_shared<LineSink>();

    template<class T>
    T *thread(const MachineID &machine, NEDriverParams::DriverThreadTypes type)
    {
        return qobject_cast<T *>(store->getDriverCommThread(driverID, machine, type));
    }
};

TEST_F(MachineThreadsTest, SensorReadingsArriveAtTheirIntervalAndFollowTheProbe)
{
    HostSpy &humidity = spy(&AXOCommData::NEHumidifierValuesChangedSignal);
    HostSpy &motor = spy(&AXOCommData::NEGearACMotorValuesChangedSignal);
    ASSERT_TRUE(store->startDriverCommThread(driverID, kDispenser, NEDriverParams::SensorsStatusThread));
    ASSERT_TRUE(store->startDriverCommThread(driverID, kPlainDispenser, NEDriverParams::SensorsStatusThread));

    ASSERT_TRUE(waitFor([&] { return ofDispenser(humidity, 1).size() >= 1; }, 4000));
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(waitFor([&] { return ofDispenser(humidity, 1).size() >= 3; }, 5000));
    // Two more passes, one interval (1000 ms) apart each.
    EXPECT_GE(timer.elapsed(), 1500);
    EXPECT_LE(timer.elapsed(), 3500);
    const QList<QVariant> first = ofDispenser(humidity, 1).first();
    EXPECT_EQ(first.at(0).toInt(), driverID);
    EXPECT_DOUBLE_EQ(first.at(2).toDouble(), 22.0); // temperature
    EXPECT_DOUBLE_EQ(first.at(3).toDouble(), 55.0); // humidity

    ASSERT_TRUE(model().setSensor(1, QStringLiteral("humidity"), 71.5));
    EXPECT_TRUE(waitFor([&] { return ofDispenser(humidity, 1).last().at(3).toDouble() == 71.5; }, 3000));

    // No motor sensor on 1; no sensors at all on 4, whose thread never asks.
    EXPECT_EQ(motor.size(), 0);
    EXPECT_TRUE(ofDispenser(humidity, 4).isEmpty());
    auto *plain = thread<NEXmlRpcSensorsThread>(kPlainDispenser, NEDriverParams::SensorsStatusThread);
    ASSERT_NE(plain, nullptr);
    EXPECT_TRUE(plain->getPauseFlag());
    EXPECT_TRUE(plain->readingTypes().isEmpty());
}

TEST_F(MachineThreadsTest, ScaleWeightIntervalComesFromTheEnvironment)
{
    EXPECT_EQ(NEXmlRpcScaleWeightThread::parseInterval(QStringLiteral("abc")), 1000);
    EXPECT_EQ(NEXmlRpcScaleWeightThread::parseInterval(QStringLiteral("0")), 1000);
    EXPECT_EQ(NEXmlRpcScaleWeightThread::parseInterval(QStringLiteral("-5")), 1000);
    EXPECT_EQ(NEXmlRpcScaleWeightThread::parseInterval(QStringLiteral("250")), 250);
    EXPECT_EQ(NEXmlRpcScaleWeightThread::parseInterval(QStringLiteral("")), 1000);

    ASSERT_TRUE(store->startDriverCommThread(driverID, kDispenser, NEDriverParams::ScaleWeightThread));
    auto *weight = thread<NEXmlRpcScaleWeightThread>(kDispenser, NEDriverParams::ScaleWeightThread);
    ASSERT_NE(weight, nullptr);
    EXPECT_EQ(weight->pollingInterval(), 250);

    auto storedWeight = [&] {
        const std::unique_ptr<WeightAnswer> answer = store->weightAnswer(driverID, 1);
        return answer ? answer->weight() : -1.0;
    };
    ASSERT_TRUE(waitFor([&] { return storedWeight() == 0.0; }, 3000)) << "the empty scale";
    ASSERT_TRUE(model().setScaleLoad(3, 125.5));
    ASSERT_TRUE(waitFor([&] { return storedWeight() == 125.5; }, 3000));
    EXPECT_EQ(store->weightAnswer(driverID, 1)->scaleID(), MachineID(3, MachineID::Scale));

    // A scale out of service answers no weight: the stored one goes.
    ASSERT_TRUE(model().apply(SimEvent::setActive(MachineID(3, MachineID::Scale), false)));
    EXPECT_TRUE(waitFor([&] { return !store->weightAnswer(driverID, 1); }, 3000));
}

TEST_F(MachineThreadsTest, CircuitsProcessFollowsDispensingAndLogsAMismatchOnce)
{
    HostSpy &executed = spy(&AXOCommData::NECommandExecutedSignal);
    ASSERT_TRUE(store->startDriverCommThread(driverID, kDispenser, NEDriverParams::CircuitsProcessesThread));
    ASSERT_TRUE(store->setActiveCircuitProcess(driverID, kDispenser, CircuitProcess::Dispensing));
    int process = -1;
    ASSERT_TRUE(store->getActiveCircuitProcess(driverID, kDispenser, process));
    EXPECT_EQ(process, 1);
    ASSERT_TRUE(store->setProcessNotifyOnChange(driverID, kDispenser, true));
    EXPECT_FALSE(store->setActiveCircuitProcess(driverID, MachineID(9, MachineID::Dispenser), 1));

    // Two channels of 400 ms: position 1, then 2 and 3 together.
    FormulaChannel second;
    second.addIngredient(ChannelIngredient(2, QStringLiteral("YE1"), 1.0));
    second.addIngredient(ChannelIngredient(3, QStringLiteral("RE1"), 1.0));
    FormulaChannel firstChannel;
    firstChannel.addIngredient(ChannelIngredient(1, QStringLiteral("WH1"), 1.0));
    const Formula formula(QList<FormulaChannel>{firstChannel, second}, 0, 2);
    const XmlRpc::XmlRpcValue started = model().startTint(kDispenser, formula.toXmlRpcValue());
    ASSERT_EQ(started["rc"].asInt(), 0);
    ASSERT_TRUE(waitFor([&] { return !model().isBusy(kDispenser); }, 5000));
    // After the end the dispenser reports no positions any more.
    ASSERT_TRUE(waitFor([&] {
        const auto polls = commandsNamed(executed, QStringLiteral("GET_ACTIVE_CIRCUITS"));
        return !polls.empty() && polls.back()->answerAs<GetActiveCircuitsAnswer>()->positionsIDList().isEmpty();
    }, 3000));
    QList<int> activeSeen;
    for (const auto &poll : commandsNamed(executed, QStringLiteral("GET_ACTIVE_CIRCUITS"))) {
        const auto answer = poll->answerAs<GetActiveCircuitsAnswer>();
        ASSERT_NE(answer, nullptr);
        EXPECT_EQ(answer->circuitProcess(), 1);
        if (!answer->positionsIDList().isEmpty()) {
            EXPECT_EQ(answer->positionsIDList(), (QList<int>{1, 2, 3}));
        }
        for (int position : answer->getPositionsIDForStatusMask(GetActiveCircuitsAnswer::StatusActive))
            if (!activeSeen.contains(position))
                activeSeen.append(position);
    }
    EXPECT_EQ(activeSeen, (QList<int>{1, 2, 3})) << "each position seen dosing, in channel order";

    // A RESET runs: the driver reports that process instead, once logged.
    ASSERT_EQ(model().startReset(kDispenser)["rc"].asInt(), 0);
    ASSERT_TRUE(waitFor([&] { return sink->count("Circuits process mismatch on") > 0; }, 3000));
    ASSERT_TRUE(waitFor([&] { return sink->count("Circuits process polling recovered on") > 0; }, 4000));
    EXPECT_EQ(sink->count("Circuits process mismatch on"), 1);
    EXPECT_EQ(sink->count("polling Dispensing, answer Reset"), 1);
    EXPECT_EQ(sink->count("Circuits process polling recovered on"), 1);
}

TEST_F(MachineThreadsTest, ACircuitStatusChangeIsSignalledOnce)
{
    HostSpy &executed = spy(&AXOCommData::NECommandExecutedSignal);
    ASSERT_TRUE(store->startDriverCommThread(driverID, kDispenser, NEDriverParams::CircuitsStatusThread));
    auto statuses = [&] { return commandsNamed(executed, QStringLiteral("GET_CIRCUITS_STATUS")); };
    ASSERT_TRUE(waitFor([&] { return statuses().size() == 1; }, 3000));
    const auto first = statuses().front()->answerAs<CircuitsStatusAnswer>();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->positionsIDList(), (QList<int>{1, 2, 3}));

    started::settle(1200); // held by the driver: nothing changed
    EXPECT_EQ(statuses().size(), 1u);
    ASSERT_TRUE(model().setLevel(1, 2, 0.0));
    ASSERT_TRUE(waitFor([&] { return statuses().size() >= 2; }, 3000));
    started::settle(1200);
    ASSERT_EQ(statuses().size(), 2u);
    CircuitsStatusAnswer::Circuit circuit;
    ASSERT_TRUE(statuses().back()->answerAs<CircuitsStatusAnswer>()->circuit(2, &circuit));
    EXPECT_EQ(circuit.level, 0.0);
    EXPECT_EQ(circuit.status, CircuitsStatusAnswer::CircuitEmpty);
}

} // namespace
