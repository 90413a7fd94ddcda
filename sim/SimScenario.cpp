#include "SimScenario.h"

#include "FW_Dispenser.h"
#include "FW_Mixer.h"
#include "FW_Scale.h"
#include "ProtoCommandList.h"
#include "SimJsonReader.h"

#include <QtCore/QFile>
#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const char kDefaultVersion[] = "3.4.0-sim";
const int kDefaultResetMs = 3000;
const double kDefaultDosingRate = 2.0;
const double kDefaultCapacity = 2500.0;
const int kDefaultFirmware[3] = {2, 4, 0};

struct DefaultCircuit
{
    const char *code;
    const char *name;
};

const DefaultCircuit kDefaultCircuits[16] = {
    {"WH1", "Titanium white"}, {"YE1", "Oxide yellow"},  {"YE2", "Lemon yellow"},  {"OR1", "Orange"},
    {"RE1", "Oxide red"},      {"RE2", "Magenta red"},   {"VI1", "Violet"},        {"BL1", "Phthalo blue"},
    {"BL2", "Ultramarine"},    {"GR1", "Phthalo green"}, {"BK1", "Carbon black"},  {"UM1", "Raw umber"},
    {"SI1", "Burnt sienna"},   {"OC1", "Yellow ochre"},  {"PE1", "Pearl"},         {"NE1", "Neutral base"},
};

FW_ErrorList readErrors(const QJsonArray &array, const QString &path, QString *error)
{
    FW_ErrorList errors;
    for (int i = 0; i < array.size() && error->isEmpty(); ++i) {
        const QString itemPath = QStringLiteral("%1[%2]").arg(path).arg(i);
        QJsonObject object;
        if (!SimJsonReader::element(array, i, path, &object, error))
            break;
        SimJsonReader reader(object, itemPath, error);
        reader.allow({"code", "msg", "type"});
        const FW_Error record = reader.errorRecord();
        if (reader.ok())
            errors.append(record);
    }
    return errors;
}

QJsonArray writeErrors(const FW_ErrorList &errors)
{
    QJsonArray array;
    for (const FW_Error &error : errors) {
        QJsonObject object;
        object.insert(QStringLiteral("code"), error.errorCode());
        object.insert(QStringLiteral("msg"), error.errorMsg());
        object.insert(QStringLiteral("type"), static_cast<int>(error.errorType()));
        array.append(object);
    }
    return array;
}

int defaultModel(int type)
{
    switch (type) {
    case MachineID::Dispenser: return ModelDX16;
    case MachineID::Mixer: return ModelMXGyro;
    default: return ModelSC6;
    }
}

// Plain JSON and XML-RPC values into each other, for the parts of a scenario
// that are written as the driver sends them (calibration profiles). Whole
// numbers become ints, which the framework's readers take for doubles too.
XmlRpc::XmlRpcValue jsonToXmlRpc(const QJsonValue &value)
{
    XmlRpc::XmlRpcValue result;
    if (value.isBool()) {
        result = value.toBool();
    } else if (value.isDouble()) {
        const double number = value.toDouble();
        if (number == std::floor(number) && std::fabs(number) < 2147483647.0)
            result = static_cast<int>(number);
        else
            result = number;
    } else if (value.isString()) {
        result = value.toString().toStdString();
    } else if (value.isArray()) {
        result = XmlRpc::XmlRpcValue::emptyArray();
        const QJsonArray array = value.toArray();
        for (int i = 0; i < array.size(); ++i)
            result[i] = jsonToXmlRpc(array.at(i));
    } else if (value.isObject()) {
        result = XmlRpc::XmlRpcValue::emptyStruct();
        const QJsonObject object = value.toObject();
        for (auto it = object.constBegin(); it != object.constEnd(); ++it)
            result[it.key().toStdString()] = jsonToXmlRpc(it.value());
    }
    return result;
}

QJsonValue xmlRpcToJson(const XmlRpc::XmlRpcValue &value)
{
    switch (value.getType()) {
    case XmlRpc::XmlRpcValue::TypeBoolean: return value.asBool();
    case XmlRpc::XmlRpcValue::TypeInt: return value.asInt();
    case XmlRpc::XmlRpcValue::TypeDouble: return value.asDouble();
    case XmlRpc::XmlRpcValue::TypeString: return QString::fromStdString(value.asString());
    case XmlRpc::XmlRpcValue::TypeArray: {
        QJsonArray array;
        for (const XmlRpc::XmlRpcValue &item : value.asArray())
            array.append(xmlRpcToJson(item));
        return array;
    }
    case XmlRpc::XmlRpcValue::TypeStruct: {
        QJsonObject object;
        for (const auto &member : value.asStruct())
            object.insert(QString::fromStdString(member.first), xmlRpcToJson(member.second));
        return object;
    }
    default: return QJsonValue();
    }
}

} // namespace

SimScenario::SimScenario()
    : m_version(QString::fromLatin1(kDefaultVersion)),
      m_resetMs(kDefaultResetMs),
      m_dosingRate(kDefaultDosingRate),
      m_channelMs(0)
{
    m_settings.setSimulationMode(true);
    m_profiles.setDefaults();
}

SimScenario SimScenario::defaultScenario()
{
    SimScenario scenario;
    FW_Dispenser dispenser(1);
    dispenser.setModel(ModelDX16);
    dispenser.setName(QStringLiteral("Dispenser 1"));
    dispenser.setSerialNumber(QStringLiteral("SIM-D-0001"));
    QList<FW_Circuit> circuits;
    for (int i = 0; i < 16; ++i) {
        FW_Circuit circuit(i + 1, QString::fromLatin1(kDefaultCircuits[i].code), kDefaultCapacity);
        circuit.setColorantName(QString::fromLatin1(kDefaultCircuits[i].name));
        circuits.append(circuit);
        scenario.setLevel(1, i + 1, 2000.0);
    }
    dispenser.setCircuits(circuits);
    scenario.m_configuration.addMachine(dispenser);

    FW_Mixer mixer(2);
    mixer.setModel(ModelMXGyro);
    mixer.setName(QStringLiteral("Mixer 2"));
    mixer.setSerialNumber(QStringLiteral("SIM-M-0002"));
    scenario.m_configuration.addMachine(mixer);
    return scenario;
}

void SimScenario::setActive(const MachineID &id, bool active)
{
    if (active)
        m_inactive.remove(id);
    else
        m_inactive.insert(id, true);
}

void SimScenario::setConnected(const MachineID &id, bool connected)
{
    if (connected)
        m_disconnected.remove(id);
    else
        m_disconnected.insert(id, true);
}

FW_Version SimScenario::firmware(const MachineID &id) const
{
    const FW_Machine *machine = m_configuration.getMachineByMachineID(id);
    const int protocol = machine ? std::max(1, FW_Machine::minProtocolVersionForModel(machine->model())) : 1;
    const FW_Version set = m_firmware.value(id, FW_Version(kDefaultFirmware[0], kDefaultFirmware[1],
                                                           kDefaultFirmware[2], 0, 0));
    return FW_Version(set.majorVersion(), set.minorVersion(), set.build(), FW_Version::supportedConfigVersion(),
                      protocol);
}

void SimScenario::setFirmware(const MachineID &id, const FW_Version &version)
{
    m_firmware.insert(id, FW_Version(version.majorVersion(), version.minorVersion(), version.build(), 0, 0));
}

void SimScenario::setCommandList(const MachineID &id, const QList<ProtocolCommandInfo> &commands)
{
    if (commands.isEmpty())
        m_commands.remove(id);
    else
        m_commands.insert(id, commands);
}

void SimScenario::setErrors(const MachineID &id, const FW_ErrorList &errors)
{
    if (errors.isEmpty())
        m_errors.remove(id);
    else
        m_errors.insert(id, errors);
}

bool SimScenario::operator==(const SimScenario &other) const
{
    return m_version == other.m_version && m_resetMs == other.m_resetMs && m_dosingRate == other.m_dosingRate
        && m_channelMs == other.m_channelMs && m_configuration == other.m_configuration
        && m_levels == other.m_levels && m_inactive == other.m_inactive && m_errors == other.m_errors
        && m_disconnected == other.m_disconnected && m_firmware == other.m_firmware
        && m_commands == other.m_commands && m_settings == other.m_settings && m_profiles == other.m_profiles
        && m_events == other.m_events;
}

SimScenario SimScenario::fromFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return SimScenario();
    }
    QString reason;
    SimScenario scenario = fromJson(file.readAll(), &reason);
    if (!reason.isEmpty())
        *error = path + QStringLiteral(": ") + reason;
    return scenario;
}

SimScenario SimScenario::fromJson(const QByteArray &json, QString *error)
{
    QString problem;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (document.isNull()) {
        *error = QStringLiteral("not JSON: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset);
        return SimScenario();
    }
    if (!document.isObject()) {
        *error = QStringLiteral("a scenario must be a JSON object");
        return SimScenario();
    }

    SimScenario scenario;
    SimJsonReader top(document.object(), QString(), &problem);
    top.allow({"version", "timing", "machines", "settings", "calibrationProfiles", "events"});
    scenario.m_version = top.string("version", scenario.m_version);

    SimJsonReader timing(top.object("timing"), QStringLiteral("timing"), &problem);
    timing.allow({"resetMs", "dosingRate", "channelMs"});
    scenario.m_resetMs = timing.integer("resetMs", scenario.m_resetMs, 0);
    scenario.m_dosingRate = timing.number("dosingRate", scenario.m_dosingRate, 0.0, true);
    scenario.m_channelMs = timing.integer("channelMs", scenario.m_channelMs, 0);

    const QJsonArray machines = top.array("machines", true);
    for (int i = 0; i < machines.size() && problem.isEmpty(); ++i) {
        QJsonObject object;
        if (SimJsonReader::element(machines, i, QStringLiteral("machines"), &object, &problem))
            scenario.readMachine(object, QStringLiteral("machines[%1]").arg(i), &problem);
    }
    if (problem.isEmpty())
        scenario.readExtras(document.object(), &problem);
    if (problem.isEmpty())
        scenario.checkReferences(&problem);
    if (!problem.isEmpty()) {
        *error = problem;
        return SimScenario();
    }
    error->clear();
    return scenario;
}

namespace {

QList<FW_Circuit> readCircuits(const QJsonArray &circuits, const QString &path, SimScenario &scenario, int number,
                               QString *problem)
{
    QList<FW_Circuit> list;
    for (int c = 0; c < circuits.size() && problem->isEmpty(); ++c) {
        QJsonObject object;
        if (!SimJsonReader::element(circuits, c, path, &object, problem))
            break;
        SimJsonReader circuit(object, QStringLiteral("%1[%2]").arg(path).arg(c), problem);
        circuit.allow({"position", "colorant", "name", "level", "capacity", "reserve", "enabled"});
        const int position = circuit.integer("position", 0, 1, true);
        const QString colorant = circuit.string("colorant", QString(), true);
        const double capacity = circuit.number("capacity", kDefaultCapacity, 0.0, true);
        const double level = circuit.number("level", capacity, 0.0, false);
        FW_Circuit item(position, colorant, capacity, circuit.boolean("enabled", true));
        item.setColorantName(circuit.string("name", QString()));
        item.setReserveLevel(circuit.number("reserve", 0.0, 0.0, false));
        if (!circuit.ok())
            break;
        for (const FW_Circuit &seen : list) {
            if (seen.position() == position)
                circuit.fail("position", QStringLiteral("%1 is used twice").arg(position));
        }
        list.append(item);
        scenario.setLevel(number, position, level);
    }
    return list;
}

QList<ProtocolCommandInfo> readCommands(const QJsonArray &array, const QString &path, QString *problem)
{
    QList<ProtocolCommandInfo> commands;
    for (int i = 0; i < array.size() && problem->isEmpty(); ++i) {
        QJsonObject object;
        if (!SimJsonReader::element(array, i, path, &object, problem))
            break;
        SimJsonReader command(object, QStringLiteral("%1[%2]").arg(path).arg(i), problem);
        command.allow({"name", "version"});
        const QString name = command.string("name", QString(), true);
        const int version = command.integer("version", 1, 0);
        if (command.ok() && !ProtoCommandList::existsCommand(name))
            command.fail("name", QStringLiteral("\"%1\" is not a command of the catalogue").arg(name));
        commands.append(ProtocolCommandInfo(name, version));
    }
    return commands;
}

} // namespace

// One entry of "machines": the machine with its circuits, state and firmware.
bool SimScenario::readMachine(const QJsonObject &object, const QString &path, QString *problem)
{
    SimJsonReader machine(object, path, problem);
    const QString typeText = machine.string("type", QString(), true);
    const int type = SimEvent::machineTypeOfName(typeText);
    if (!machine.ok())
        return false;
    if (type == 0) {
        machine.fail("type", QStringLiteral("must be \"dispenser\", \"mixer\" or \"scale\""));
        return false;
    }
    if (type == MachineID::Dispenser)
        machine.allow({"type", "number", "model", "name", "serial", "active", "connected", "firmware", "commands",
                       "errors", "circuits", "scale", "devices"});
    else
        machine.allow({"type", "number", "model", "name", "serial", "active", "connected", "firmware", "commands",
                       "errors"});

    std::unique_ptr<FW_Machine> built;
    const int number = machine.integer("number", 0, 1, true);
    if (type == MachineID::Dispenser)
        built.reset(new FW_Dispenser(number));
    else if (type == MachineID::Mixer)
        built.reset(new FW_Mixer(number));
    else
        built.reset(new FW_Scale(number));
    const int model = machine.integer("model", defaultModel(type), 1);
    if (machine.ok() && FW_Machine::isKnownModel(model) && FW_Machine::machineTypeOfModel(model) != type)
        machine.fail("model", QStringLiteral("%1 is not a %2 model").arg(model).arg(typeText));
    built->setModel(model);
    built->setName(machine.string("name", QStringLiteral("%1 %2").arg(typeText).arg(number)));
    built->setSerialNumber(machine.string("serial", QString()));
    const bool active = machine.boolean("active", true);
    const bool connected = machine.boolean("connected", true);
    bool versionOk = true;
    const QString firmwareText = machine.string("firmware", QString());
    const FW_Version firmware = SimEvent::parseVersion(firmwareText, &versionOk);
    if (machine.ok() && !firmwareText.isEmpty() && !versionOk)
        machine.fail("firmware", QStringLiteral("must be a version such as \"3.2.1\""));
    const QList<ProtocolCommandInfo> commands =
        readCommands(machine.array("commands"), path + QStringLiteral(".commands"), problem);
    const FW_ErrorList errors = readErrors(machine.array("errors"), path + QStringLiteral(".errors"), problem);

    if (type == MachineID::Dispenser) {
        auto *dispenser = static_cast<FW_Dispenser *>(built.get());
        dispenser->setScaleNumber(machine.integer("scale", 0, 0));
        // Optional devices fitted, by kind (16: the ultrasonic nozzle cleaner).
        const QJsonArray devices = machine.array("devices");
        QList<int> kinds;
        for (int d = 0; d < devices.size(); ++d) {
            if (!devices.at(d).isDouble() || devices.at(d).toInt() < 1) {
                machine.fail("devices", QStringLiteral("must list device kinds (integers of 1 or more)"));
                break;
            }
            kinds.append(devices.at(d).toInt());
        }
        dispenser->setDevices(kinds);
        const QList<FW_Circuit> circuits =
            readCircuits(machine.array("circuits"), path + QStringLiteral(".circuits"), *this, number, problem);
        if (problem->isEmpty())
            dispenser->setCircuits(circuits);
    }
    if (!problem->isEmpty())
        return false;
    if (!m_configuration.addMachine(*built)) {
        *problem = QStringLiteral("%1: %2 %3 is listed twice").arg(path, typeText).arg(number);
        return false;
    }
    const MachineID id = built->machineID();
    setActive(id, active);
    setConnected(id, connected);
    setErrors(id, errors);
    setCommandList(id, commands);
    if (!firmwareText.isEmpty())
        setFirmware(id, firmware);
    return true;
}

// The driver's settings, calibration profiles and scripted events.
bool SimScenario::readExtras(const QJsonObject &topObject, QString *problem)
{
    SimJsonReader top(topObject, QString(), problem);
    const QJsonObject settingsObject = top.object("settings");
    SimJsonReader settings(settingsObject, QStringLiteral("settings"), problem);
    settings.allow({"language", "volumeUnit", "weightUnit", "logLevel", "simulation", "skipFwChecks"});
    m_settings.setLanguage(settings.string("language", m_settings.language()));
    m_settings.setVolumeUnit(settings.string("volumeUnit", m_settings.volumeUnit()));
    m_settings.setWeightUnit(settings.string("weightUnit", m_settings.weightUnit()));
    const int logLevel = settings.integer("logLevel", m_settings.logLevel(), DriverSettings::Trace);
    if (settings.ok() && logLevel > DriverSettings::Fatal)
        settings.fail("logLevel", QStringLiteral("must be 0 to 5"));
    m_settings.setLogLevel(logLevel);
    m_settings.setSimulationMode(settings.boolean("simulation", m_settings.simulationMode()));
    m_settings.setSkipFwChecks(settings.boolean("skipFwChecks", m_settings.skipFwChecks()));

    if (top.has("calibrationProfiles")) {
        // The same layout as the driver's answer: {"profiles": [...]}'s items.
        const QJsonArray profiles = top.array("calibrationProfiles");
        QJsonObject wrapped;
        wrapped.insert(QStringLiteral("profiles"), profiles);
        bool ok = false;
        m_profiles = FW_CalibrationProfiles::fromXmlRpcValue(jsonToXmlRpc(wrapped), &ok);
        if (problem->isEmpty() && !ok)
            top.fail("calibrationProfiles", QStringLiteral("must be profiles {pump, name, custom, points: "
                                                           "[{volume, factor}]} with ascending volumes"));
    }

    const QJsonArray events = top.array("events");
    for (int i = 0; i < events.size() && problem->isEmpty(); ++i) {
        QJsonObject object;
        if (SimJsonReader::element(events, i, QStringLiteral("events"), &object, problem))
            m_events.append(SimEvent::fromJson(object, QStringLiteral("events[%1]").arg(i), problem));
    }
    return problem->isEmpty();
}

// Scales named by dispensers and the machines the events name must exist.
bool SimScenario::checkReferences(QString *problem) const
{
    for (const FW_Machine *machine : m_configuration.getMachines(MachineID::Dispenser)) {
        const int scale = static_cast<const FW_Dispenser *>(machine)->scaleNumber();
        if (scale > 0 && !m_configuration.getScaleById(scale)) {
            *problem = QStringLiteral("dispenser %1 names scale %2, which is not listed")
                           .arg(machine->machineNumber())
                           .arg(scale);
            return false;
        }
    }
    for (int i = 0; i < m_events.size(); ++i) {
        MachineID id;
        QString reason;
        if (!m_events.at(i).target(m_configuration, &id, &reason)) {
            *problem = QStringLiteral("events[%1]: %2").arg(i).arg(reason);
            return false;
        }
    }
    return true;
}

QJsonObject SimScenario::machineToJson(const FW_Machine &machine) const
{
    const MachineID id = machine.machineID();
    QJsonObject object;
    object.insert(QStringLiteral("type"), SimEvent::machineTypeName(machine.machineType()));
    object.insert(QStringLiteral("number"), machine.machineNumber());
    object.insert(QStringLiteral("model"), static_cast<int>(machine.model()));
    object.insert(QStringLiteral("name"), machine.name());
    object.insert(QStringLiteral("serial"), machine.serialNumber());
    object.insert(QStringLiteral("active"), isActive(id));
    object.insert(QStringLiteral("connected"), isConnected(id));
    if (m_firmware.contains(id)) {
        const FW_Version version = firmware(id);
        object.insert(QStringLiteral("firmware"), QStringLiteral("%1.%2.%3")
                                                      .arg(version.majorVersion())
                                                      .arg(version.minorVersion())
                                                      .arg(version.build()));
    }
    if (!m_errors.value(id).isEmpty())
        object.insert(QStringLiteral("errors"), writeErrors(m_errors.value(id)));
    QJsonArray commands;
    for (const ProtocolCommandInfo &command : m_commands.value(id))
        commands.append(QJsonObject{{QStringLiteral("name"), command.name()},
                                    {QStringLiteral("version"), command.version()}});
    if (!commands.isEmpty())
        object.insert(QStringLiteral("commands"), commands);
    if (machine.machineType() != MachineID::Dispenser)
        return object;
    const auto &dispenser = static_cast<const FW_Dispenser &>(machine);
    if (dispenser.hasScale())
        object.insert(QStringLiteral("scale"), dispenser.scaleNumber());
    if (!dispenser.devices().isEmpty()) {
        QJsonArray devices;
        for (int kind : dispenser.devices())
            devices.append(kind);
        object.insert(QStringLiteral("devices"), devices);
    }
    QJsonArray circuits;
    for (const FW_Circuit &circuit : dispenser.circuits()) {
        QJsonObject item;
        item.insert(QStringLiteral("position"), circuit.position());
        item.insert(QStringLiteral("colorant"), circuit.colorantCode());
        if (!circuit.colorantName().isEmpty())
            item.insert(QStringLiteral("name"), circuit.colorantName());
        item.insert(QStringLiteral("level"), level(dispenser.machineNumber(), circuit.position()));
        item.insert(QStringLiteral("capacity"), circuit.capacity());
        if (circuit.reserveLevel() > 0.0)
            item.insert(QStringLiteral("reserve"), circuit.reserveLevel());
        item.insert(QStringLiteral("enabled"), circuit.isEnabled());
        circuits.append(item);
    }
    object.insert(QStringLiteral("circuits"), circuits);
    return object;
}

QByteArray SimScenario::toJson() const
{
    QJsonObject top;
    top.insert(QStringLiteral("version"), m_version);
    QJsonObject timing;
    timing.insert(QStringLiteral("resetMs"), m_resetMs);
    timing.insert(QStringLiteral("dosingRate"), m_dosingRate);
    timing.insert(QStringLiteral("channelMs"), m_channelMs);
    top.insert(QStringLiteral("timing"), timing);

    QJsonArray machines;
    for (const FW_Machine *machine : m_configuration.getMachines())
        machines.append(machineToJson(*machine));
    top.insert(QStringLiteral("machines"), machines);

    QJsonObject settings;
    settings.insert(QStringLiteral("language"), m_settings.language());
    settings.insert(QStringLiteral("volumeUnit"), m_settings.volumeUnit());
    settings.insert(QStringLiteral("weightUnit"), m_settings.weightUnit());
    settings.insert(QStringLiteral("logLevel"), m_settings.logLevel());
    settings.insert(QStringLiteral("simulation"), m_settings.simulationMode());
    settings.insert(QStringLiteral("skipFwChecks"), m_settings.skipFwChecks());
    top.insert(QStringLiteral("settings"), settings);
    top.insert(QStringLiteral("calibrationProfiles"),
               xmlRpcToJson(m_profiles.toXmlRpcValue()).toObject().value(QStringLiteral("profiles")));

    QJsonArray events;
    for (const SimEvent &event : m_events)
        events.append(event.toJson());
    if (!events.isEmpty())
        top.insert(QStringLiteral("events"), events);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}
