#include "NEXmlRpcSensorsThread.h"

#include "AXOCommData.h"
#include "FW_Configuration.h"
#include "FW_Dispenser.h"
#include "FW_DriverError.h"
#include "FW_Exception.h"
#include "NECommand.h"
#include "NELogger.h"
#include "SensorDataAnswer.h"
#include "SensorDataCmd.h"

namespace {

//! The main board that reads a single transmission's inverter.
const int kInverterBoardID = 63;

} // namespace

struct NEXmlRpcSensorsThread::Receiver
{
    QMutex mutex;
    NEXmlRpcSensorsThread *thread = nullptr; // null once the thread object goes
};

NEXmlRpcSensorsThread::NEXmlRpcSensorsThread(const NEDriverParams &driverParams, const MachineID &machineID,
                                             QueueType queueType, NEDriverParams::DriverThreadTypes threadType,
                                             QObject *parent)
    : NEXmlRpcThread(driverParams, machineID, queueType, threadType, parent),
      m_receiver(std::make_shared<Receiver>())
{
    setPauseFlag(true);
    m_receiver->thread = this;
    // Direct connections: the store signals from any thread, some without an
    // event loop. The store is read before the receiver's lock is taken, so
    // no store lock is ever taken under it; under it only flags and the
    // reading types change.
    const std::shared_ptr<Receiver> receiver = m_receiver;
    const int ownDriver = driverID();
    const int ownMachine = machineID.machineNumber;
    const int ownType = machineID.machineType;
    auto reconfigureIf = [receiver, ownDriver, ownMachine](bool concerned) {
        if (!concerned)
            return;
        const Setup setup = readSetup(ownDriver, ownMachine);
        QMutexLocker locker(&receiver->mutex);
        if (receiver->thread)
            receiver->thread->apply(setup);
    };
    AXOCommData *store = AXOCommData::instance();
    m_connections << connect(
        store, &AXOCommData::NEConfigurationChanged, this,
        [reconfigureIf, ownDriver](int driver) { reconfigureIf(driver == ownDriver); }, Qt::DirectConnection);
    m_connections << connect(
        store, &AXOCommData::NEDispenserStatusListChanged, this,
        [reconfigureIf, ownDriver](int driver) { reconfigureIf(driver == ownDriver); }, Qt::DirectConnection);
    m_connections << connect(
        store, &AXOCommData::NEDispenserDriverStatusChangedSignal, this,
        [reconfigureIf, ownDriver, ownMachine](int driver, int disp) {
            reconfigureIf(driver == ownDriver && disp == ownMachine);
        },
        Qt::DirectConnection);
    m_connections << connect(
        store, &AXOCommData::NEFirmwareProgramChangedSignal, this,
        [reconfigureIf, ownDriver, ownMachine, ownType](int driver, const MachineID &machine) {
            reconfigureIf(driver == ownDriver && machine.machineNumber == ownMachine
                          && machine.machineType == ownType);
        },
        Qt::DirectConnection);
    m_connections << connect(
        store, &AXOCommData::NECommandEnqueuedSignal, this,
        [receiver](const NECommand &command) {
            if (!command.isConfigurationCommand())
                return;
            QMutexLocker locker(&receiver->mutex);
            if (receiver->thread)
                receiver->thread->delayProcess(true);
        },
        Qt::DirectConnection);
}

NEXmlRpcSensorsThread::~NEXmlRpcSensorsThread()
{
    for (const QMetaObject::Connection &connection : m_connections)
        QObject::disconnect(connection);
    // A delivery already under way finishes first; later ones find no thread.
    QMutexLocker locker(&m_receiver->mutex);
    m_receiver->thread = nullptr;
}

void NEXmlRpcSensorsThread::setPollingInterval(qint64 ms)
{
    QMutexLocker locker(&m_intervalMutex);
    m_interval = ms;
}

qint64 NEXmlRpcSensorsThread::pollingInterval() const
{
    QMutexLocker locker(&m_intervalMutex);
    return m_interval;
}

QList<int> NEXmlRpcSensorsThread::readingTypes() const
{
    QMutexLocker locker(&m_readingTypesMutex);
    return m_readingTypes;
}

void NEXmlRpcSensorsThread::ConfigurationChangedSlot(int driverID)
{
    if (driverID == this->driverID())
        reconfigure();
}

void NEXmlRpcSensorsThread::DispenserStatusListChangedSlot(int driverID)
{
    if (driverID == this->driverID())
        reconfigure();
}

void NEXmlRpcSensorsThread::NEDispenserDriverStatusChangedSlot(int driverID, int dispID)
{
    if (driverID == this->driverID() && dispID == machineID().machineNumber)
        reconfigure();
}

void NEXmlRpcSensorsThread::FirmwareProgramChangedSlot(int driverID, const MachineID &machineID)
{
    if (driverID == this->driverID() && machineID == this->machineID())
        reconfigure();
}

void NEXmlRpcSensorsThread::NECommandEnqueuedSlot(const NECommand &command)
{
    if (command.isConfigurationCommand())
        delayProcess(true);
}

NEXmlRpcSensorsThread::Setup NEXmlRpcSensorsThread::readSetup(int driverID, int dispID)
{
    AXOCommData *store = AXOCommData::instance();
    const FW_Configuration configuration = store->getSharedConfiguration(driverID);
    Setup setup;
    if (configuration.numOfDispensers(false) <= 0 || !configuration.existDispenserById(dispID)
        || !store->dispenserAcceptCommands(driverID, dispID))
        return setup;
    const FW_Dispenser *dispenser = configuration.getDispenserById(dispID);
    const bool humidifier = dispenser->hasDevice(FW_Dispenser::DeviceHumidifier);
    const bool probe = dispenser->hasDevice(FW_Dispenser::DeviceHumiditySensor);
    const bool motor = dispenser->hasDevice(FW_Dispenser::DeviceGearMotorSensor);
    const bool single = dispenser->hasSingleTransmission();
    if (!humidifier && !probe && !motor && !single)
        return setup;
    setup.readingTypes = SensorDataCmd::readingTypes(
        humidifier, probe, motor, single, FW_Machine::getBoardIDForModel(dispenser->model()) == kInverterBoardID);
    setup.paused = false;
    return setup;
}

void NEXmlRpcSensorsThread::apply(const Setup &setup)
{
    if (!setup.paused) {
        QMutexLocker locker(&m_readingTypesMutex);
        m_readingTypes = setup.readingTypes;
    }
    setPauseFlag(setup.paused);
}

void NEXmlRpcSensorsThread::reconfigure()
{
    apply(readSetup(driverID(), machineID().machineNumber));
}

void NEXmlRpcSensorsThread::run()
{
    NELogger *log = NELogger::instance();
    if (log->isDebugEnabled())
        log->debug(QStringLiteral("START thread %1 - queue type: %2").arg(threadInfo()).arg(int(queueType())));
    QList<std::shared_ptr<NECommand>> commands;
    try {
        const QList<QPair<SensorDataCmd::SensorType, SensorDataCmd::MeasureType>> readings = {
            {SensorDataCmd::SensorHumidityProbe, SensorDataCmd::MeasureMain},
            {SensorDataCmd::SensorHumidityProbe, SensorDataCmd::MeasureHumidity},
            {SensorDataCmd::SensorHumidifier, SensorDataCmd::MeasureMain},
            {SensorDataCmd::SensorGearMotor, SensorDataCmd::MeasureMain},
            {SensorDataCmd::SensorMotorInverter, SensorDataCmd::MeasureMain},
        };
        for (const auto &reading : readings) {
            const SensorDataCmd query(reading.first, reading.second);
            commands.append(std::make_shared<NECommand>(driverID(), machineID(), &query));
        }
    } catch (const FW_Exception &e) {
        setError(e.error());
        return;
    } catch (...) {
        setError(FW_DriverError(QStringLiteral("An error occurred in sensor thread in command construction"),
                                QStringLiteral("TE00037")));
        return;
    }
    // Paused until a reconfiguration finds readable sensors; the first one
    // is made here, for a configuration the store already holds.
    setPauseFlag(true);
    reconfigure();
    while (!abortOperations()) {
        const qint64 interval = pollingInterval();
        if (delayOperations()) {
            delayProcess(false);
            waitTimeoutAbort(interval);
            continue;
        }
        if (!pauseOperations() && interval > 0)
            pollPass(commands);
        waitTimeoutAbort(interval > 0 ? interval : kDefaultIntervalMs);
    }
}

void NEXmlRpcSensorsThread::pollPass(const QList<std::shared_ptr<NECommand>> &commands)
{
    enum { A, B, C, D, E };
    const QList<int> types = readingTypes();
    if (types.contains(SensorDataCmd::ReadingHumidityProbe)) {
        read(commands.at(A).get(), &m_humidifier[0]);
        read(commands.at(B).get(), &m_humidifier[1]);
    }
    if (types.contains(SensorDataCmd::ReadingHumidifier))
        read(commands.at(C).get(), &m_humidifier[0]);
    if (types.contains(SensorDataCmd::ReadingMotor)) {
        read(commands.at(D).get(), &m_motor[0]);
        read(commands.at(E).get(), &m_motor[1]);
    }
    if (pauseOperations() || abortOperations())
        return;
    AXOCommData *store = AXOCommData::instance();
    const int machine = machineID().machineNumber;
    if (types.contains(SensorDataCmd::ReadingHumidityProbe) || types.contains(SensorDataCmd::ReadingHumidifier))
        store->NEEmitHumidifierValuesChangedSignal(driverID(), machine, m_humidifier[0], m_humidifier[1]);
    if (types.contains(SensorDataCmd::ReadingMotor))
        store->NEEmitGearACMotorValuesChangedSignal(driverID(), machine, m_motor[0], m_motor[1]);
}

bool NEXmlRpcSensorsThread::read(NECommand *command, double *value)
{
    // A reused command: the answer of an earlier pass must not count again.
    command->clearProtoAnswer();
    manageCommand(command);
    if (!command->isExecuted())
        return false;
    const std::unique_ptr<SensorDataAnswer> answer = command->answerAs<SensorDataAnswer>();
    if (!answer)
        return false;
    *value = answer->value();
    return true;
}
