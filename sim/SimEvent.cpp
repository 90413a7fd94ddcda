#include "SimEvent.h"

#include "SimJsonReader.h"

#include <QtCore/QStringList>

namespace {

struct KindName
{
    SimEvent::Kind kind;
    bool flag;
    const char *name;
};

// Kinds with a flag have a name for each value of it (door: open/closed is a member).
const KindName kNames[] = {
    {SimEvent::RaiseError, false, "error"},     {SimEvent::ClearErrors, false, "clear"},
    {SimEvent::SetActive, false, "inactive"},   {SimEvent::SetActive, true, "active"},
    {SimEvent::SetConnected, false, "disconnect"}, {SimEvent::SetConnected, true, "connect"},
    {SimEvent::SetDoor, false, "door"},         {SimEvent::SetLevel, false, "level"},
    {SimEvent::SetFirmware, false, "fw"},       {SimEvent::SetSensor, false, "sensor"},
    {SimEvent::Reconfigure, false, "reconfigure"},
};

bool hasFlagInName(SimEvent::Kind kind)
{
    return kind == SimEvent::SetActive || kind == SimEvent::SetConnected;
}

} // namespace

QString SimEvent::machineTypeName(int type)
{
    switch (type) {
    case MachineID::Dispenser: return QStringLiteral("dispenser");
    case MachineID::Mixer: return QStringLiteral("mixer");
    case MachineID::Scale: return QStringLiteral("scale");
    }
    return QString();
}

int SimEvent::machineTypeOfName(const QString &name)
{
    for (int type : {int(MachineID::Dispenser), int(MachineID::Mixer), int(MachineID::Scale)}) {
        if (name == machineTypeName(type))
            return type;
    }
    return 0;
}

SimEvent SimEvent::raiseError(const MachineID &machine, const FW_Error &error)
{
    SimEvent event(RaiseError, machine);
    event.m_error = error;
    return event;
}

SimEvent SimEvent::clearErrors(const MachineID &machine, const QString &code)
{
    SimEvent event(ClearErrors, machine);
    event.m_text = code;
    return event;
}

SimEvent SimEvent::setActive(const MachineID &machine, bool active)
{
    SimEvent event(SetActive, machine);
    event.m_flag = active;
    return event;
}

SimEvent SimEvent::setConnected(const MachineID &machine, bool connected)
{
    SimEvent event(SetConnected, machine);
    event.m_flag = connected;
    return event;
}

SimEvent SimEvent::setDoor(const MachineID &machine, bool open)
{
    SimEvent event(SetDoor, machine);
    event.m_flag = open;
    return event;
}

SimEvent SimEvent::setLevel(const MachineID &dispenser, int position, double cc)
{
    SimEvent event(SetLevel, dispenser);
    event.m_position = position;
    event.m_value = cc;
    return event;
}

SimEvent SimEvent::setFirmware(const MachineID &machine, const FW_Version &version)
{
    SimEvent event(SetFirmware, machine);
    event.m_version = version;
    return event;
}

SimEvent SimEvent::setSensor(const MachineID &dispenser, const QString &sensor, double value)
{
    SimEvent event(SetSensor, dispenser);
    event.m_text = sensor;
    event.m_value = value;
    return event;
}

SimEvent SimEvent::reconfigure(const MachineID &machine)
{
    return SimEvent(Reconfigure, machine);
}

bool SimEvent::isSensorName(const QString &name)
{
    return name == QLatin1String("humidity") || name == QLatin1String("temperature") || name == QLatin1String("can");
}

FW_Version SimEvent::parseVersion(const QString &text, bool *ok)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    int numbers[3] = {0, 0, 0};
    bool good = parts.size() == 3;
    for (int i = 0; good && i < 3; ++i) {
        numbers[i] = parts.at(i).toInt(&good);
        good = good && numbers[i] >= 0 && !parts.at(i).startsWith(QLatin1Char('+'));
    }
    good = good && (numbers[0] | numbers[1] | numbers[2]) != 0;
    *ok = good;
    return good ? FW_Version(numbers[0], numbers[1], numbers[2], 0, 0) : FW_Version();
}

bool SimEvent::target(const FW_Configuration &configuration, MachineID *id, QString *error) const
{
    QList<MachineID> found;
    for (const MachineID &candidate : configuration.getMachinesID()) {
        if (candidate.machineNumber == m_machine.machineNumber
            && (m_machine.machineType == 0 || candidate.machineType == m_machine.machineType))
            found.append(candidate);
    }
    const QString named = m_machine.machineType == 0
        ? QStringLiteral("machine %1").arg(m_machine.machineNumber)
        : QStringLiteral("%1 %2").arg(machineTypeName(m_machine.machineType)).arg(m_machine.machineNumber);
    if (found.size() != 1) {
        *error = found.isEmpty() ? QStringLiteral("there is no %1").arg(named)
                                 : QStringLiteral("%1 is ambiguous: name its type too").arg(named);
        return false;
    }
    *id = found.first();
    if (m_kind == SetDoor && id->machineType != MachineID::Mixer) {
        *error = QStringLiteral("%1 is no mixer: only mixers have a door").arg(named);
        return false;
    }
    if ((m_kind == SetLevel || m_kind == SetSensor) && id->machineType != MachineID::Dispenser) {
        *error = QStringLiteral("%1 is no dispenser").arg(named);
        return false;
    }
    if (m_kind == SetLevel && !configuration.getDispenserById(id->machineNumber)->circuit(m_position)) {
        *error = QStringLiteral("dispenser %1 has no circuit %2").arg(id->machineNumber).arg(m_position);
        return false;
    }
    return true;
}

QString SimEvent::name() const
{
    for (const KindName &entry : kNames) {
        if (entry.kind == m_kind && (!hasFlagInName(m_kind) || entry.flag == m_flag))
            return QString::fromLatin1(entry.name);
    }
    return QString();
}

SimEvent SimEvent::fromJson(const QJsonObject &object, const QString &path, QString *error)
{
    SimJsonReader reader(object, path, error);
    const QString name = reader.string("event", QString(), true);
    SimEvent event;
    for (const KindName &entry : kNames) {
        if (name == QLatin1String(entry.name)) {
            event.m_kind = entry.kind;
            event.m_flag = entry.flag;
        }
    }
    if (reader.ok() && event.m_kind == None)
        reader.fail("event", QStringLiteral("\"%1\" is not a known event").arg(name));
    event.m_atMs = reader.integer("atMs", 0, 0, true);
    event.m_machine.machineNumber = reader.integer("machine", 0, 1, true);
    const QString type = reader.string("machineType", QString());
    event.m_machine.machineType = machineTypeOfName(type);
    if (reader.ok() && !type.isEmpty() && event.m_machine.machineType == 0)
        reader.fail("machineType", QStringLiteral("must be \"dispenser\", \"mixer\" or \"scale\""));
    if (!reader.ok() || !event.readMembers(reader))
        return SimEvent();
    return event;
}

// The members of the event's kind, after "atMs", "event", "machine" and "machineType".
bool SimEvent::readMembers(SimJsonReader &reader)
{
    switch (m_kind) {
    case RaiseError: {
        reader.allow({"atMs", "event", "machine", "machineType", "code", "msg", "type"});
        m_error = reader.errorRecord();
        break;
    }
    case ClearErrors:
        reader.allow({"atMs", "event", "machine", "machineType", "code"});
        m_text = reader.string("code", QString());
        break;
    case SetDoor:
        reader.allow({"atMs", "event", "machine", "machineType", "open"});
        m_flag = reader.boolean("open", true);
        break;
    case SetLevel:
        reader.allow({"atMs", "event", "machine", "machineType", "position", "level"});
        m_position = reader.integer("position", 0, 1, true);
        if (reader.ok() && !reader.has("level"))
            reader.fail("level", QStringLiteral("is missing"));
        m_value = reader.number("level", 0.0, 0.0, false);
        break;
    case SetFirmware: {
        reader.allow({"atMs", "event", "machine", "machineType", "version"});
        bool ok = false;
        m_version = parseVersion(reader.string("version", QString(), true), &ok);
        if (reader.ok() && !ok)
            reader.fail("version", QStringLiteral("must be a version such as \"3.2.1\""));
        break;
    }
    case SetSensor:
        reader.allow({"atMs", "event", "machine", "machineType", "sensor", "value"});
        m_text = reader.string("sensor", QString(), true);
        if (reader.ok() && !isSensorName(m_text))
            reader.fail("sensor", QStringLiteral("must be \"humidity\", \"temperature\" or \"can\""));
        if (reader.ok() && !reader.has("value"))
            reader.fail("value", QStringLiteral("is missing"));
        m_value = reader.number("value", 0.0, -1e9, false);
        break;
    default:
        reader.allow({"atMs", "event", "machine", "machineType"});
        break;
    }
    return reader.ok();
}

QJsonObject SimEvent::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("atMs"), m_atMs);
    object.insert(QStringLiteral("event"), name());
    object.insert(QStringLiteral("machine"), m_machine.machineNumber);
    if (m_machine.machineType != 0)
        object.insert(QStringLiteral("machineType"), machineTypeName(m_machine.machineType));
    switch (m_kind) {
    case RaiseError:
        object.insert(QStringLiteral("code"), m_error.errorCode());
        object.insert(QStringLiteral("msg"), m_error.errorMsg());
        object.insert(QStringLiteral("type"), static_cast<int>(m_error.errorType()));
        break;
    case ClearErrors:
        if (!m_text.isEmpty())
            object.insert(QStringLiteral("code"), m_text);
        break;
    case SetDoor: object.insert(QStringLiteral("open"), m_flag); break;
    case SetLevel:
        object.insert(QStringLiteral("position"), m_position);
        object.insert(QStringLiteral("level"), m_value);
        break;
    case SetFirmware:
        object.insert(QStringLiteral("version"), QStringLiteral("%1.%2.%3")
                                                     .arg(m_version.majorVersion())
                                                     .arg(m_version.minorVersion())
                                                     .arg(m_version.build()));
        break;
    case SetSensor:
        object.insert(QStringLiteral("sensor"), m_text);
        object.insert(QStringLiteral("value"), m_value);
        break;
    default: break;
    }
    return object;
}

bool SimEvent::operator==(const SimEvent &other) const
{
    return m_kind == other.m_kind && m_atMs == other.m_atMs && m_machine == other.m_machine
        && m_error == other.m_error && m_error.errorType() == other.m_error.errorType() && m_text == other.m_text
        && m_flag == other.m_flag && m_position == other.m_position && m_value == other.m_value
        && m_version == other.m_version;
}
