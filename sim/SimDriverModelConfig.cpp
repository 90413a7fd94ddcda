// The simulated driver's configuration edits, gravimetric settings, timed
// processes and firmware scan.

#include "SimDriverModel.h"

#include "CircuitGravSettings.h"
#include "CloneMachineAnswer.h"
#include "FirmwareScanAnswer.h"
#include "GravSettingsAnswer.h"
#include "ProtoAnswer.h"

#include <QtCore/QSet>

#include <memory>

using XmlRpc::XmlRpcValue;

namespace {

bool isArray(const XmlRpcValue &value)
{
    return value.getType() == XmlRpcValue::TypeArray;
}

bool isBool(const XmlRpcValue &value)
{
    return value.getType() == XmlRpcValue::TypeBoolean;
}

XmlRpcValue invalid(const char *command)
{
    return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::InvalidParams,
                                   QLatin1String(command));
}

} // namespace

XmlRpcValue SimDriverModel::saveConfiguration(const XmlRpcValue &params)
{
    bool ok = params.size() == 3 && isBool(params[1]) && isBool(params[2]);
    const FW_Configuration saved = ok ? FW_Configuration::fromXmlRpcValue(params[0], &ok) : FW_Configuration();
    if (!ok)
        return invalid("SAVE_CONFIG");
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const FW_Machine *machine : saved.getMachines()) {
        if (!m_machines.contains(machine->machineID()) || !m_configuration.getMachineByMachineID(machine->machineID()))
            return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    }
    if (!params[1].asBool())
        return okResult(XmlRpcValue::emptyStruct());
    for (const FW_Machine *machine : saved.getMachines()) {
        const std::unique_ptr<FW_Machine> copy(machine->clone());
        copy->setRevision(m_configuration.getMachineByMachineID(machine->machineID())->revision() + 1);
        m_configuration.replaceMachine(*copy);
    }
    changed();
    return okResult(XmlRpcValue::emptyStruct());
}

XmlRpcValue SimDriverModel::updateDbConfiguration(const XmlRpcValue &params)
{
    bool ok = params.size() == 1;
    const std::unique_ptr<FW_Machine> machine = ok ? FW_Machine::fromXmlRpcValue(params[0], &ok) : nullptr;
    if (!ok || !machine)
        return invalid("UPDATE_DB_CONFIGURATION");
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_machines.contains(machine->machineID()) || !m_configuration.replaceMachine(*machine))
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    changed();
    return okResult(XmlRpcValue::emptyStruct());
}

XmlRpcValue SimDriverModel::cloneMachine(const XmlRpcValue &params)
{
    bool ok = params.size() == 1;
    const MachineID source = ok ? MachineID::fromXmlRpcValue(params[0], &ok) : MachineID();
    if (!ok)
        return invalid("CLONE_MACHINE");
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const FW_Machine *original = m_configuration.getMachineByMachineID(source);
    if (!original || !m_machines.contains(source))
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    int highest = 0;
    for (const MachineID &id : m_machines.keys())
        highest = std::max(highest, id.machineNumber);
    const std::unique_ptr<FW_Machine> copy(original->clone());
    copy->setMachineNumber(highest + 1);
    copy->setRevision(0);
    const MachineID created = copy->machineID();
    m_configuration.addMachine(*copy);
    Runtime runtime;
    runtime.state = m_machines.value(source).state;
    runtime.state.setActive(false);
    m_machines.insert(created, runtime);
    if (created.machineType == MachineID::Dispenser) {
        for (const FW_Circuit &circuit : static_cast<const FW_Dispenser *>(copy.get())->circuits())
            m_levels.insert(qMakePair(created.machineNumber, circuit.position()),
                            m_levels.value(qMakePair(source.machineNumber, circuit.position()), 0.0));
    }
    changed();
    return CloneMachineAnswer(created).toXmlRpcValue();
}

XmlRpcValue SimDriverModel::setActiveMachine(const XmlRpcValue &params)
{
    bool ok = params.size() == 3 && isBool(params[2]);
    const MachineID machine = ok ? MachineID::fromXmlRpcValue(params[0], &ok) : MachineID();
    const MachineID replaced = ok ? MachineID::fromXmlRpcValue(params[1], &ok) : MachineID();
    if (!ok)
        return invalid("SET_ACTIVE_MACHINE");
    const bool active = params[2].asBool();
    std::lock_guard<std::mutex> lock(m_mutex);
    Runtime *target = runtime(machine);
    Runtime *other = replaced.machineNumber > 0 ? runtime(replaced) : nullptr;
    if (!target || (replaced.machineNumber > 0 && !other))
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    target->state.setActive(active);
    if (active && other && other != target)
        other->state.setActive(false);
    changed();
    return okResult(XmlRpcValue::emptyStruct());
}

XmlRpcValue SimDriverModel::gravSettings(const MachineID &machine, const XmlRpcValue &params)
{
    QList<int> positions;
    bool ok = params.size() == 1 && isArray(params[0]);
    for (int i = 0; ok && i < params[0].size(); ++i) {
        ok = params[0][i].getType() == XmlRpcValue::TypeInt;
        if (ok)
            positions.append(params[0][i].asInt());
    }
    if (!ok)
        return invalid("GET_GRAV_SETTINGS");
    std::lock_guard<std::mutex> lock(m_mutex);
    const FW_Dispenser *dispenser = m_configuration.getDispenserById(machine.machineNumber);
    if (!dispenser)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    for (int position : positions) {
        if (!dispenser->circuit(position))
            return invalid("GET_GRAV_SETTINGS");
    }
    return GravSettingsAnswer(dispenser->gravimetricSettings(positions)).toXmlRpcValue();
}

XmlRpcValue SimDriverModel::setGravSettings(const MachineID &machine, const XmlRpcValue &params)
{
    QList<CircuitGravSettings> settings;
    bool ok = params.size() == 1 && isArray(params[0]);
    for (int i = 0; ok && i < params[0].size(); ++i)
        settings.append(CircuitGravSettings::fromXmlRpcValue(params[0][i], &ok));
    if (!ok)
        return invalid("SET_GRAV_SETTINGS");
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    FW_Dispenser *dispenser = m_configuration.getDispenserById(machine.machineNumber);
    const Runtime *state = runtime(machine);
    if (!dispenser || !state)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    if (state->process.running)
        return failure(ProtoAnswer::RC_REFUSED, MachineBusy);
    for (const CircuitGravSettings &entry : settings) {
        if (!dispenser->circuit(entry.position()))
            return invalid("SET_GRAV_SETTINGS");
    }
    dispenser->setGravimetricSettings(settings);
    changed();
    return okResult(XmlRpcValue::emptyStruct());
}

XmlRpcValue SimDriverModel::toggleTimedProcesses(const MachineID &machine, const XmlRpcValue &params)
{
    const bool ok = params.size() == 3 && isBool(params[0]) && params[1].getType() == XmlRpcValue::TypeInt
        && params[2].getType() == XmlRpcValue::TypeInt && params[1].asInt() >= 0 && params[2].asInt() >= 0;
    if (!ok)
        return invalid("TOGGLE_TEMPORIZED");
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const Runtime *state = runtime(machine);
    if (!state)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    if (state->process.running)
        return failure(ProtoAnswer::RC_REFUSED, MachineBusy);
    const int before = m_timedOff.value(machine.machineNumber);
    const int mask = params[1].asInt();
    const int after = params[0].asBool() ? (before | mask) : (before & ~mask);
    m_timedOff.insert(machine.machineNumber, after);
    if (after != before)
        changed();
    return okResult(XmlRpcValue::emptyStruct());
}

int SimDriverModel::timedProcessesOff(int dispenser) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timedOff.value(dispenser);
}

XmlRpcValue SimDriverModel::firmwareScan(const MachineID &machine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const Runtime *state = runtime(machine);
    const FW_Machine *config = m_configuration.getMachineByMachineID(machine);
    if (!state || !config)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    if (m_slaveBoards.contains(machine))
        return FirmwareScanAnswer(m_slaveBoards.value(machine)).toXmlRpcValue();
    QList<int> boards = config->boardAddresses();
    const int master = boards.isEmpty() ? 1 : boards.takeFirst();
    if (boards.isEmpty())
        boards = {master + 1, master + 2};
    QList<FW_Program> programs;
    for (int k = 0; k < boards.size(); ++k)
        programs.append(FW_Program(boards.at(k),
                                   FW_Machine::modelName(config->model()) + QStringLiteral(" slave %1").arg(k + 1),
                                   state->state.firmware()));
    return FirmwareScanAnswer(programs).toXmlRpcValue();
}
