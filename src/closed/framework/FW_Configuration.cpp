#include "FW_Configuration.h"

#include "FW_DriverError.h"

#include <QtCore/QHash>

static const int s_configurationType = qRegisterMetaType<FW_Configuration>("FW_Configuration");

FW_Configuration::FW_Configuration() = default;

FW_Configuration::FW_Configuration(const FW_Configuration &other)
{
    m_machines.reserve(other.m_machines.size());
    for (const auto &machine : other.m_machines)
        m_machines.emplace_back(machine->clone());
}

FW_Configuration::FW_Configuration(FW_Configuration &&other) noexcept = default;

FW_Configuration &FW_Configuration::operator=(const FW_Configuration &other)
{
    if (this != &other) {
        FW_Configuration copy(other);
        m_machines.swap(copy.m_machines);
    }
    return *this;
}

FW_Configuration &FW_Configuration::operator=(FW_Configuration &&other) noexcept = default;

FW_Configuration::~FW_Configuration() = default;

void FW_Configuration::clear()
{
    m_machines.clear();
}

int FW_Configuration::numOfMachines(int typeMask, bool onlyKnownModels) const
{
    return getMachines(typeMask, onlyKnownModels).size();
}

int FW_Configuration::numOfDispensers(bool onlyKnownModels) const
{
    return numOfMachines(MachineID::Dispenser, onlyKnownModels);
}

int FW_Configuration::numOfMixers(bool onlyKnownModels) const
{
    return numOfMachines(MachineID::Mixer, onlyKnownModels);
}

QList<FW_Machine *> FW_Configuration::getMachines(int typeMask, bool onlyKnownModels)
{
    QList<FW_Machine *> list;
    for (const auto &machine : m_machines)
        if (machine->machineID().matchesTypeMask(typeMask) && (!onlyKnownModels || machine->hasKnownModel()))
            list.append(machine.get());
    return list;
}

QList<const FW_Machine *> FW_Configuration::getMachines(int typeMask, bool onlyKnownModels) const
{
    QList<const FW_Machine *> list;
    for (const auto &machine : m_machines)
        if (machine->machineID().matchesTypeMask(typeMask) && (!onlyKnownModels || machine->hasKnownModel()))
            list.append(machine.get());
    return list;
}

QList<MachineID> FW_Configuration::getMachinesID(int typeMask, bool onlyKnownModels) const
{
    QList<MachineID> ids;
    for (const FW_Machine *machine : getMachines(typeMask, onlyKnownModels))
        ids.append(machine->machineID());
    return ids;
}

MachineID FW_Configuration::getFirstMachineID(int typeMask) const
{
    const QList<const FW_Machine *> machines = getMachines(typeMask, false);
    return machines.isEmpty() ? MachineID() : machines.first()->machineID();
}

int FW_Configuration::indexOf(const MachineID &id) const
{
    for (size_t i = 0; i < m_machines.size(); ++i)
        if (m_machines[i]->machineID() == id)
            return static_cast<int>(i);
    return -1;
}

const FW_Machine *FW_Configuration::getMachineByMachineID(const MachineID &id) const
{
    const int index = indexOf(id);
    return index >= 0 ? m_machines[static_cast<size_t>(index)].get() : nullptr;
}

FW_Machine *FW_Configuration::getMachineByMachineID(const MachineID &id)
{
    const int index = indexOf(id);
    return index >= 0 ? m_machines[static_cast<size_t>(index)].get() : nullptr;
}

bool FW_Configuration::existMachine(const FW_Machine &machine, bool byIdentifier) const
{
    if (!byIdentifier)
        return existsMachineID(machine.machineID());
    if (machine.identifier().isEmpty())
        return false;
    for (const auto &m : m_machines)
        if (m->identifier() == machine.identifier())
            return true;
    return false;
}

const FW_Dispenser *FW_Configuration::getDispenserById(int number) const
{
    return static_cast<const FW_Dispenser *>(getMachineByMachineID(MachineID(number, MachineID::Dispenser)));
}

FW_Dispenser *FW_Configuration::getDispenserById(int number)
{
    return static_cast<FW_Dispenser *>(getMachineByMachineID(MachineID(number, MachineID::Dispenser)));
}

bool FW_Configuration::existDispenser(const FW_Dispenser &dispenser, bool byIdentifier) const
{
    return existMachine(dispenser, byIdentifier);
}

QList<int> FW_Configuration::getDispensersIDList(bool onlyKnownModels) const
{
    QList<int> numbers;
    for (const MachineID &id : getMachinesID(MachineID::Dispenser, onlyKnownModels))
        numbers.append(id.machineNumber);
    return numbers;
}

const FW_Mixer *FW_Configuration::getMixerById(int number) const
{
    return static_cast<const FW_Mixer *>(getMachineByMachineID(MachineID(number, MachineID::Mixer)));
}

FW_Mixer *FW_Configuration::getMixerById(int number)
{
    return static_cast<FW_Mixer *>(getMachineByMachineID(MachineID(number, MachineID::Mixer)));
}

QList<int> FW_Configuration::getMixersIDList(bool onlyKnownModels) const
{
    QList<int> numbers;
    for (const MachineID &id : getMachinesID(MachineID::Mixer, onlyKnownModels))
        numbers.append(id.machineNumber);
    return numbers;
}

const FW_Scale *FW_Configuration::getScaleById(int number) const
{
    return static_cast<const FW_Scale *>(getMachineByMachineID(MachineID(number, MachineID::Scale)));
}

bool FW_Configuration::addMachine(const FW_Machine &machine)
{
    if (machine.machineNumber() < 1 || existsMachineID(machine.machineID()))
        return false;
    m_machines.emplace_back(machine.clone());
    return true;
}

bool FW_Configuration::replaceMachine(const FW_Machine &machine)
{
    const int index = indexOf(machine.machineID());
    if (index < 0)
        return false;
    m_machines[static_cast<size_t>(index)].reset(machine.clone());
    return true;
}

bool FW_Configuration::removeMachineByMachineID(const MachineID &id)
{
    const int index = indexOf(id);
    if (index < 0)
        return false;
    m_machines.erase(m_machines.begin() + index);
    return true;
}

bool FW_Configuration::replaceDispenserById(int number, const FW_Dispenser &dispenser)
{
    const int index = indexOf(MachineID(number, MachineID::Dispenser));
    if (index < 0)
        return false;
    FW_Dispenser *copy = dispenser.clone();
    copy->setMachineNumber(number);
    m_machines[static_cast<size_t>(index)].reset(copy);
    return true;
}

QList<ConfigID> FW_Configuration::getConfigIDList() const
{
    QList<ConfigID> ids;
    for (const auto &machine : m_machines)
        ids.append(machine->configID());
    return ids;
}

QStringList FW_Configuration::unknownModelMachines() const
{
    QStringList list;
    for (const auto &machine : m_machines)
        if (!machine->hasKnownModel())
            list.append(QStringLiteral("%1 %2 (%3)")
                            .arg(machine->machineID().typeText())
                            .arg(machine->machineNumber())
                            .arg(FW_Machine::modelName(machine->model())));
    return list;
}

bool FW_Configuration::configurationChanged(const QList<ConfigID> &old, const QList<ConfigID> &current,
                                            const QString &clientID)
{
    if (old.size() != current.size())
        return true;
    QHash<QString, ConfigID> before;
    for (const ConfigID &id : old)
        before.insert(id.machineID().toString(), id);
    for (const ConfigID &id : current) {
        const auto it = before.constFind(id.machineID().toString());
        if (it == before.constEnd())
            return true;
        const bool ownSave = !clientID.isEmpty() && id.cid() == clientID;
        if (it->revision() != id.revision() && !ownSave)
            return true;
    }
    return false;
}

bool FW_Configuration::isValid(const FW_Configuration &configuration, FW_DriverError *error)
{
    auto fail = [error](const QString &code, const QString &message) {
        if (error)
            *error = FW_DriverError(message, code);
        return false;
    };
    // No machines is valid: a driver that was not set up yet.
    QHash<QString, const FW_Machine *> identifiers;
    for (size_t i = 0; i < configuration.m_machines.size(); ++i) {
        const FW_Machine &machine = *configuration.m_machines[i];
        const QString what = QStringLiteral("%1 %2").arg(machine.machineID().typeText()).arg(machine.machineNumber());
        if (machine.machineNumber() < 1)
            return fail(QStringLiteral("TE90002"), QStringLiteral("%1 has an invalid machine number").arg(what));
        if (configuration.indexOf(machine.machineID()) != static_cast<int>(i))
            return fail(QStringLiteral("TE90003"), QStringLiteral("%1 appears more than once").arg(what));
        if (!machine.identifier().isEmpty()) {
            if (const FW_Machine *first = identifiers.value(machine.identifier()))
                return fail(QStringLiteral("TE90004"),
                            QStringLiteral("%1 %2 and %3 share the identifier %4")
                                .arg(first->machineID().typeText())
                                .arg(first->machineNumber())
                                .arg(what, machine.identifier()));
            identifiers.insert(machine.identifier(), &machine);
        }
        if (machine.hasKnownModel() && FW_Machine::machineTypeOfModel(machine.model()) != machine.machineType())
            return fail(QStringLiteral("TE90005"), QStringLiteral("%1: model %2 belongs to another kind of machine")
                                                       .arg(what, FW_Machine::modelName(machine.model())));
        if (!machine.machineID().isDispenser())
            continue;
        const FW_Dispenser &dispenser = static_cast<const FW_Dispenser &>(machine);
        if (dispenser.numOfCircuits() == 0)
            return fail(QStringLiteral("TE90006"), QStringLiteral("%1 has no circuits").arg(what));
        for (const FW_Circuit &circuit : dispenser.circuits())
            if (circuit.isEnabled() && circuit.colorantCode().isEmpty())
                return fail(QStringLiteral("TE90007"), QStringLiteral("%1: circuit %2 is in use but holds no colorant")
                                                           .arg(what)
                                                           .arg(circuit.position()));
        if (dispenser.isGravimetric() && !dispenser.hasScale())
            return fail(QStringLiteral("TE90008"), QStringLiteral("%1 doses by weight but has no scale").arg(what));
        if (dispenser.hasScale() && !configuration.getScaleById(dispenser.scaleNumber()))
            return fail(QStringLiteral("TE90009"), QStringLiteral("%1 weighs on scale %2, which is not configured")
                                                       .arg(what)
                                                       .arg(dispenser.scaleNumber()));
    }
    return true;
}

bool FW_Configuration::operator==(const FW_Configuration &other) const
{
    if (m_machines.size() != other.m_machines.size())
        return false;
    for (size_t i = 0; i < m_machines.size(); ++i)
        if (*m_machines[i] != *other.m_machines[i])
            return false;
    return true;
}

XmlRpc::XmlRpcValue FW_Configuration::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    XmlRpc::XmlRpcValue &machines = value["machines"];
    machines.setSize(0);
    for (size_t i = 0; i < m_machines.size(); ++i)
        machines[static_cast<int>(i)] = m_machines[i]->toXmlRpcValue();
    return value;
}

FW_Configuration FW_Configuration::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_Configuration configuration;
    bool valid = value.getType() == XmlRpc::XmlRpcValue::TypeStruct && value.hasMember("machines")
        && value["machines"].getType() == XmlRpc::XmlRpcValue::TypeArray;
    if (valid) {
        const XmlRpc::XmlRpcValue &machines = value["machines"];
        for (int i = 0; i < machines.size() && valid; ++i) {
            std::unique_ptr<FW_Machine> machine = FW_Machine::fromXmlRpcValue(machines[i], &valid);
            if (valid)
                configuration.m_machines.push_back(std::move(machine));
        }
    }
    if (ok)
        *ok = valid;
    return valid ? configuration : FW_Configuration();
}
