#include "SimDriverModel.h"

#include "ClearErrorsAnswer.h"
#include "CmdStatus.h"
#include "DispenserDriverStatusAnswer.h"
#include "DispenserInfo.h"
#include "DispenserStatus.h"
#include "FirmwareVersionAnswer.h"
#include "GetActiveDispAnswer.h"
#include "GetConnectionStatusAnswer.h"
#include "GetErrorsAnswer.h"
#include "GetMachineListAnswer.h"
#include "MixerDriverStatusAnswer.h"
#include "MixerStatus.h"
#include "ProtoAnswer.h"
#include "XmlRpcAnswer.h"


#include <algorithm>
#include <cmath>
#include <memory>

using XmlRpc::XmlRpcValue;

int64_t SimDriverModel::elapsedMs(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

int SimDriverModel::runningPercentage(int64_t elapsed, int64_t duration)
{
    if (duration <= 0)
        return 99;
    return static_cast<int>(std::min<int64_t>(99, std::max<int64_t>(0, elapsed * 100 / duration)));
}

XmlRpcValue SimDriverModel::okResult(const XmlRpcValue &data)
{
    return XmlRpcAnswer::makeResult(ProtoAnswer::RC_OK, FW_ErrorList(), data);
}

SimDriverModel::SimDriverModel(const SimScenario &scenario)
    : m_version(scenario.driverVersion()),
      m_resetMs(scenario.resetMs()),
      m_dosingRate(scenario.dosingRate() > 0.0 ? scenario.dosingRate() : 1.0),
      m_channelMs(scenario.channelMs()),
      m_configuration(scenario.configuration()),
      m_script(scenario.events()),
      m_store(scenario),
      m_factory(m_store.configuration(SimConfigStore::FactoryConfiguration)),
      m_stats(scenario.stats(), scenario.configuration()),
      m_data(scenario)
{
    for (const FW_Machine *machine : m_configuration.getMachines()) {
        Runtime runtime;
        runtime.state.setActive(scenario.isActive(machine->machineID()));
        runtime.state.setConnected(scenario.isConnected(machine->machineID()));
        runtime.state.setErrors(scenario.errors(machine->machineID()));
        runtime.state.setFirmware(scenario.firmware(machine->machineID()));
        if (!scenario.slaveBoards(machine->machineID()).isEmpty())
            m_slaveBoards.insert(machine->machineID(), scenario.slaveBoards(machine->machineID()));
        m_machines.insert(machine->machineID(), runtime);
        if (machine->machineType() == MachineID::Dispenser) {
            for (const FW_Circuit &circuit : static_cast<const FW_Dispenser *>(machine)->circuits()) {
                m_levels.insert(qMakePair(machine->machineNumber(), circuit.position()),
                                scenario.level(machine->machineNumber(), circuit.position()));
            }
        }
    }
}

SimDriverModel::~SimDriverModel() = default;

// ---------------------------------------------------------------------------
// Errors and results

FW_Error SimDriverModel::driverError(int code, const QString &argument)
{
    QString message;
    switch (code) {
    case UnknownCommand: message = QStringLiteral("Unknown command %1"); break;
    case InvalidSession: message = QStringLiteral("Invalid session"); break;
    case MachineBusy: message = QStringLiteral("Command refused: machine busy"); break;
    case InvalidParams: message = QStringLiteral("Invalid parameters for command %1"); break;
    case UnknownMachine: message = QStringLiteral("Unknown machine"); break;
    case UnknownTicket: message = QStringLiteral("Unknown ticket %1"); break;
    case NotSupported: message = QStringLiteral("Command not supported by machine"); break;
    case Interrupted: message = QStringLiteral("Command interrupted"); break;
    case NotEnoughColorant: message = QStringLiteral("Not enough colorant in circuit %1"); break;
    case AccessNotGranted: message = QStringLiteral("Access level %1 not granted"); break;
    case AccessTooLow: message = QStringLiteral("Access level too low for command %1"); break;
    case CallMethodNotSupported: message = QStringLiteral("Call method not supported for command %1"); break;
    case FileNotFound: message = QStringLiteral("File not found: %1"); break;
    default: message = QStringLiteral("Driver error"); break;
    }
    if (message.contains(QLatin1String("%1")))
        message = message.arg(argument);
    const QString text = QStringLiteral("TE%1").arg(code, 5, 10, QLatin1Char('0'));
    if (code == MachineBusy || code == NotEnoughColorant || code == AccessNotGranted || code == AccessTooLow)
        return FW_CmdRefusedError(message, text);
    return FW_DriverError(message, text);
}

XmlRpcValue SimDriverModel::failure(int rc, int code, const QString &argument)
{
    FW_ErrorList errors;
    errors.append(driverError(code, argument));
    return XmlRpcAnswer::makeResult(rc, errors);
}

// ---------------------------------------------------------------------------
// Driver

QString SimDriverModel::driverVersion() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_version;
}

bool SimDriverModel::hasMachine(const MachineID &id) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_machines.contains(id);
}

XmlRpcValue SimDriverModel::machineList(int type) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QList<int> numbers;
    for (const MachineID &id : m_configuration.getMachinesID(type))
        numbers.append(id.machineNumber);
    return GetMachineListAnswer(type, numbers).toXmlRpcValue();
}

namespace {

// What a machine's electronics tell of it: the configuration's serial
// number and model, the main board's program and, for a dispenser, its
// circuits, the scale it is wired to and its devices.
std::unique_ptr<MachineInfo> machineInfo(const FW_Machine &machine, const FW_Version &firmware, int scale)
{
    std::unique_ptr<MachineInfo> info;
    if (machine.machineType() == MachineID::Dispenser) {
        const auto &config = static_cast<const FW_Dispenser &>(machine);
        auto *dispenser = new DispenserInfo;
        info.reset(dispenser);
        dispenser->setCircuitsCount(config.numOfCircuits());
        dispenser->setScaleNumber(scale);
        dispenser->setDevices(config.devices());
    } else if (machine.machineType() == MachineID::Scale) {
        info.reset(new DispenserInfo);
    } else {
        info.reset(new MachineInfo);
    }
    info->setSerialNumber(machine.serialNumber());
    info->setModel(machine.model());
    const QList<int> boards = machine.boardAddresses();
    info->setMainProgram(FW_Program(boards.isEmpty() ? 1 : boards.first(),
                                    FW_Machine::modelName(machine.model()) + QStringLiteral(" main"), firmware));
    return info;
}

} // namespace

XmlRpcValue SimDriverModel::activeMachines()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    std::vector<std::unique_ptr<MachineStatus>> statuses;
    QList<MachineStatus *> list;
    for (const FW_Machine *machine : m_configuration.getMachines()) {
        const Runtime &runtime = m_machines[machine->machineID()];
        const bool running = runtime.process.running;
        std::unique_ptr<MachineStatus> status;
        if (machine->machineType() == MachineID::Mixer) {
            status.reset(new MixerStatus(machine->machineID()));
        } else {
            auto *dispenser = new DispenserStatus(machine->machineID());
            status.reset(dispenser);
            if (machine->machineType() == MachineID::Dispenser) {
                const auto *config = static_cast<const FW_Dispenser *>(machine);
                dispenser->setCircuitsCount(config->numOfCircuits());
                dispenser->setScaleNumber(wiredScale(*config));
                dispenser->setDispensing(running && runtime.process.command == QLatin1String("TINT"));
            }
        }
        const int code = state(runtime);
        const bool up = runtime.state.isUp();
        status->setActive(up);
        status->setModelName(FW_Machine::modelName(machine->model()));
        status->setState(code, stateText(code));
        status->setBusy(running);
        status->setAcceptCommands(up);
        status->setAcceptProcessCommands(up && !running);
        status->setErrors(runtime.state.errors());
        status->setConfigID(machine->configID());
        const auto *configured = dynamic_cast<const FW_Dispenser *>(machine);
        status->setMachineInfo(
            *machineInfo(*machine, runtime.state.firmware(), configured ? wiredScale(*configured) : 0));
        list.append(status.get());
        statuses.push_back(std::move(status));
    }
    return GetActiveDispAnswer(list).toXmlRpcValue();
}

XmlRpcValue SimDriverModel::connectionStatus()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    QList<MachineID> connected;
    QList<MachineID> disconnected;
    for (const MachineID &id : m_configuration.getMachinesID())
        (m_machines[id].state.isUp() ? connected : disconnected).append(id);
    return GetConnectionStatusAnswer(connected, disconnected).toXmlRpcValue();
}

// ---------------------------------------------------------------------------
// Sessions

XmlRpcValue SimDriverModel::login(const MachineID &machine, const QString &clientID, int lifetimeMinutes,
                                  int accessLevel)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // Number 0 is the driver's generic machine of the type (the driver itself for type 0).
        const bool generic = machine.isDriverLevel() && machine.machineType >= MachineID::NoDevice
            && machine.machineType <= MachineID::AllTypes;
        if (!generic && !m_machines.contains(machine))
            return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    }
    return m_sessions.login(machine, clientID, lifetimeMinutes, accessLevel);
}

void SimDriverModel::setSecret(const QByteArray &secret)
{
    m_sessions.setSecret(secret);
}

XmlRpcValue SimDriverModel::getKey(const QString &sessionID, const QString &clientNonce)
{
    return m_sessions.getKey(sessionID, clientNonce);
}

XmlRpcValue SimDriverModel::certify(const QString &sessionID, const QString &loginKey)
{
    return m_sessions.certify(sessionID, loginKey);
}

XmlRpcValue SimDriverModel::logout(const QString &sessionID)
{
    return m_sessions.logout(sessionID);
}

bool SimDriverModel::sessionGrant(const QString &sessionID, SimSessionTable::Grant *grant, bool generic)
{
    // A session of the generic machine addresses no machine, except for the
    // commands that name their machine in their parameters.
    return m_sessions.lookup(sessionID, grant) && (generic || !grant->machine.isDriverLevel());
}

int SimDriverModel::sessionCount()
{
    return m_sessions.count();
}

// ---------------------------------------------------------------------------
// Machine commands

XmlRpcValue SimDriverModel::dispenserStatus(const MachineID &machine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const Runtime *runtime = this->runtime(machine);
    if (!runtime)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    const bool busy = runtime->process.running;
    const bool dispensing = busy && runtime->process.command == QLatin1String("TINT");
    const SimMachineState &facts = runtime->state;
    DispenserDriverStatusAnswer answer;
    answer.setMachineID(machine);
    answer.setActiveMachine(facts.isUp());
    answer.setAcceptCommands(true);
    answer.setAcceptProcessCommands(!busy);
    answer.setReadyForPOScommands(!busy && facts.errors().isEmpty());
    if (facts.isUp()) {
        DispenserStatusAnswer part;
        const int code = state(*runtime);
        part.setState(code, stateText(code));
        part.setError(!facts.errors().isEmpty());
        part.setAcceptWorkingModeChange(!busy);
        part.setWarning(m_timedOff.value(machine.machineNumber) != 0);
        part.setDispensing(dispensing);
        part.setDispensingTrigger(!busy && runtime->dosed);
        part.setValveOn(dispensing);
        part.setCanPresent(facts.canPresent());
        const FW_Dispenser *config = m_configuration.getDispenserById(machine.machineNumber);
        part.setUssCleaning(config && config->hasDevice(FW_Dispenser::DeviceUltrasonicCleaner));
        answer.setMachineStatusAnswer(&part);
    }
    return answer.toXmlRpcValue();
}

XmlRpcValue SimDriverModel::mixerStatus(const MachineID &machine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const Runtime *runtime = this->runtime(machine);
    if (!runtime)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    const bool busy = runtime->process.running;
    const SimMachineState &facts = runtime->state;
    MixerDriverStatusAnswer answer;
    answer.setMachineID(machine);
    answer.setActiveMachine(facts.isUp());
    answer.setAcceptCommands(true);
    answer.setAcceptProcessCommands(!busy);
    answer.setReadyForPOScommands(!busy && facts.errors().isEmpty() && !facts.isDoorOpen());
    if (facts.isUp()) {
        MixerStatusAnswer part;
        const int code = state(*runtime);
        part.setState(code, stateText(code));
        part.setError(!facts.errors().isEmpty());
        part.setAcceptWorkingModeChange(!busy);
        part.setDoorOpen(facts.isDoorOpen());
        answer.setMachineStatusAnswer(&part);
    }
    return answer.toXmlRpcValue();
}

XmlRpcValue SimDriverModel::machineErrors(const MachineID &machine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const Runtime *runtime = this->runtime(machine);
    if (!runtime)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    return GetErrorsAnswer(runtime->state.errors()).toXmlRpcValue();
}

XmlRpcValue SimDriverModel::clearErrors(const MachineID &machine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    Runtime *runtime = this->runtime(machine);
    if (!runtime)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    const int cleared = runtime->state.clearErrors();
    if (cleared > 0)
        changed();
    return ClearErrorsAnswer(cleared).toXmlRpcValue();
}

XmlRpcValue SimDriverModel::sensorsStatus(const MachineID &machine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const Runtime *runtime = this->runtime(machine);
    const FW_Dispenser *dispenser = m_configuration.getDispenserById(machine.machineNumber);
    if (!runtime || !dispenser)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    QList<int> low;
    for (const FW_Circuit &circuit : dispenser->circuits()) {
        if (circuit.reserveLevel() > 0.0
            && m_levels.value(qMakePair(machine.machineNumber, circuit.position()), 0.0) <= circuit.reserveLevel())
            low.append(circuit.position());
    }
    std::sort(low.begin(), low.end());
    XmlRpcValue reserve = XmlRpcValue::emptyArray();
    for (int i = 0; i < low.size(); ++i)
        reserve[i] = low.at(i);
    XmlRpcValue data;
    data["humidity"] = runtime->state.humidity();
    data["temperature"] = runtime->state.temperature();
    data["canPresent"] = runtime->state.canPresent();
    data["reserve"] = reserve;
    return okResult(data);
}

XmlRpcValue SimDriverModel::firmwareVersion(const MachineID &machine, const XmlRpcValue &params)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const Runtime *runtime = this->runtime(machine);
    const FW_Machine *config = m_configuration.getMachineByMachineID(machine);
    if (!runtime || !config)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    const QList<int> boards = config->boardAddresses();
    int board = boards.isEmpty() ? 1 : boards.first();
    if (params.getType() == XmlRpcValue::TypeArray && params.size() > 0) {
        if (params[0].getType() != XmlRpcValue::TypeInt || params[0].asInt() < 1)
            return failure(ProtoAnswer::RC_INVALID_PARAMS, InvalidParams, QStringLiteral("READ_FW_VERSION"));
        board = params[0].asInt();
    }
    const FW_Program program(board, FW_Machine::modelName(config->model()) + QStringLiteral(" main"),
                             runtime->state.firmware());
    return FirmwareVersionAnswer(program).toXmlRpcValue();
}

// ---------------------------------------------------------------------------
// Looking in and changing

bool SimDriverModel::isBusy(const MachineID &machine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const Runtime *runtime = this->runtime(machine);
    return runtime && runtime->process.running;
}

double SimDriverModel::level(int dispenser, int position)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    return m_levels.value(qMakePair(dispenser, position), 0.0);
}

void SimDriverModel::setMachineErrors(const MachineID &machine, const FW_ErrorList &errors)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Runtime *runtime = this->runtime(machine)) {
        runtime->state.setErrors(errors);
        changed();
    }
}

void SimDriverModel::setActive(const MachineID &machine, bool active)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Runtime *runtime = this->runtime(machine)) {
        runtime->state.setActive(active);
        changed();
    }
}

bool SimDriverModel::apply(const SimEvent &event, QString *error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    QString reason;
    const bool applied = applyLocked(event, &reason);
    if (error)
        *error = reason;
    return applied;
}

void SimDriverModel::startEvents()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_script.start(Clock::now());
    m_cond.notify_all(); // waiting calls take the first event's time into account
}

int SimDriverModel::pendingEvents() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_script.pending();
}

void SimDriverModel::setResetMs(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_resetMs = std::max(0, ms);
}

XmlRpcValue SimDriverModel::saveMachine(const XmlRpcValue &params)
{
    bool ok = params.getType() == XmlRpcValue::TypeArray && params.size() >= 1;
    const std::unique_ptr<FW_Machine> saved = ok ? FW_Machine::fromXmlRpcValue(params[0], &ok) : nullptr;
    if (!ok || !saved)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, InvalidParams, QStringLiteral("SAVE_MACHINE_CONFIG"));
    const bool factory = params.size() >= 3 && params[2].getType() == XmlRpcValue::TypeBoolean && params[2].asBool();
    std::lock_guard<std::mutex> lock(m_mutex);
    FW_Configuration &target = factory ? m_factory : m_configuration;
    const FW_Machine *before = target.getMachineByMachineID(saved->machineID());
    if (!m_machines.contains(saved->machineID()) || !before)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    // A saved configuration is a new revision of the machine's.
    saved->setRevision(before->revision() + 1);
    target.replaceMachine(*saved);
    changed();
    return okResult(XmlRpcValue::emptyStruct());
}

XmlRpcValue SimDriverModel::deleteMachines(const XmlRpcValue &params)
{
    QList<MachineID> ids;
    bool ok = params.getType() == XmlRpcValue::TypeArray && params.size() >= 1
        && params[0].getType() == XmlRpcValue::TypeArray;
    for (int i = 0; ok && i < params[0].size(); ++i)
        ids.append(MachineID::fromXmlRpcValue(params[0][i], &ok));
    if (!ok)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, InvalidParams, QStringLiteral("DELETE_MACHINE"));
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    for (const MachineID &id : ids) {
        const Runtime *runtime = this->runtime(id);
        if (!runtime)
            return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
        if (runtime->process.running)
            return failure(ProtoAnswer::RC_REFUSED, MachineBusy);
    }
    for (const MachineID &id : ids) {
        m_machines.remove(id);
        m_configuration.removeMachineByMachineID(id);
    }
    changed();
    return okResult(XmlRpcValue::emptyStruct());
}

XmlRpcValue SimDriverModel::configuration(const XmlRpcValue &params)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_store.configurationResult(params, m_configuration, m_factory);
}

// ---------------------------------------------------------------------------
// Waiting

uint64_t SimDriverModel::changeCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_changes;
}

bool SimDriverModel::waitForChange(uint64_t seen, int timeoutMs, const std::function<bool()> &giveUp,
                                   int giveUpCheckMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    ++m_waiting;
    m_waitingCond.notify_all();
    bool result = false;
    for (;;) {
        const Clock::time_point now = Clock::now();
        settle(now);
        if (m_changes != seen) {
            result = true;
            break;
        }
        if (m_shutdown || now >= deadline || (giveUp && giveUp()))
            break;
        Clock::time_point until = std::min(deadline, nextWake());
        if (giveUp)
            until = std::min(until, now + std::chrono::milliseconds(std::max(1, giveUpCheckMs)));
        m_cond.wait_until(lock, until);
    }
    --m_waiting;
    m_waitingCond.notify_all();
    return result;
}

int SimDriverModel::waitingCalls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waiting;
}

bool SimDriverModel::waitForWaitingCalls(int count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_waitingCond.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_waiting == count; });
}

void SimDriverModel::shutdown()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shutdown = true;
    m_cond.notify_all();
}

void SimDriverModel::reopen()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shutdown = false;
}

bool SimDriverModel::isShutDown() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shutdown;
}

// ---------------------------------------------------------------------------
// Internals; m_mutex is held

void SimDriverModel::changed()
{
    ++m_changes;
    m_cond.notify_all();
}

bool SimDriverModel::applyLocked(const SimEvent &event, QString *error)
{
    MachineID id;
    if (!event.target(m_configuration, &id, error))
        return false;
    bool changedNow = false;
    if (event.kind() == SimEvent::Reconfigure) {
        FW_Machine *configured = m_configuration.getMachineByMachineID(id);
        changedNow = configured != nullptr;
        if (configured)
            configured->setRevision(configured->revision() + 1);
    } else if (event.kind() == SimEvent::SetLevel) {
        double &level = m_levels[qMakePair(id.machineNumber, event.position())];
        changedNow = level != event.value();
        level = event.value();
    } else {
        changedNow = m_machines[id].state.apply(event);
    }
    if (changedNow)
        changed();
    return true;
}

void SimDriverModel::settle(Clock::time_point now)
{
    if (!m_shutdown) {
        for (const SimEvent &event : m_script.takeDue(now)) {
            QString ignored; // the scenario checked its events when it was read
            applyLocked(event, &ignored);
        }
    }
    bool any = false;
    for (auto it = m_machines.begin(); it != m_machines.end(); ++it) {
        Process &process = it->process;
        if (process.running && process.start + std::chrono::milliseconds(process.durationMs) <= now) {
            finishProcess(it.key(), it.value(), process.start + std::chrono::milliseconds(process.durationMs),
                          false);
            any = true;
        }
    }
    if (any)
        changed();
}

SimDriverModel::Clock::time_point SimDriverModel::nextWake() const
{
    Clock::time_point next = m_shutdown ? Clock::time_point::max() : m_script.nextTime();
    for (const Runtime &runtime : m_machines) {
        if (runtime.process.running)
            next = std::min(next, runtime.process.start + std::chrono::milliseconds(runtime.process.durationMs));
    }
    return next;
}

void SimDriverModel::purge(Clock::time_point now)
{
    for (auto it = m_tickets.begin(); it != m_tickets.end();) {
        if (it->final && it->end + std::chrono::milliseconds(kTicketKeepMs) < now)
            it = m_tickets.erase(it);
        else
            ++it;
    }
}

SimDriverModel::Runtime *SimDriverModel::runtime(const MachineID &id)
{
    const auto it = m_machines.find(id);
    return it != m_machines.end() ? &it.value() : nullptr;
}

int SimDriverModel::state(const Runtime &runtime) const
{
    if (!runtime.state.isUp())
        return StateOff;
    if (runtime.process.running)
        return runtime.process.command == QLatin1String("TINT") ? StateDispensing : StateResetting;
    return runtime.state.errors().isEmpty() ? StateReady : StateError;
}

QString SimDriverModel::stateText(int state)
{
    switch (state) {
    case StateOff: return QStringLiteral("Not in service");
    case StateReady: return QStringLiteral("Ready");
    case StateResetting: return QStringLiteral("Reset");
    case StateDispensing: return QStringLiteral("Dispensing");
    case StateError: return QStringLiteral("Error");
    }
    return QString();
}
