#include "SimScenario.h"

#include "FW_Dispenser.h"
#include "FW_Mixer.h"
#include "FW_Scale.h"

#include <QtCore/QFile>
#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>
#include <QtCore/QSet>

#include <cmath>
#include <initializer_list>
#include <memory>

namespace {

const char kDefaultVersion[] = "3.4.0-sim";
const int kDefaultResetMs = 3000;
const double kDefaultDosingRate = 2.0;
const double kDefaultCapacity = 2500.0;

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

QString typeName(int type)
{
    switch (type) {
    case MachineID::Dispenser: return QStringLiteral("dispenser");
    case MachineID::Mixer: return QStringLiteral("mixer");
    case MachineID::Scale: return QStringLiteral("scale");
    }
    return QString();
}

// Strict reading of one JSON object: every member must be known, and of the
// right kind. The first problem found is kept, with the path of the member.
class Reader
{
public:
    Reader(const QJsonObject &object, const QString &path, QString *error)
        : m_object(object), m_path(path), m_error(error)
    {
    }

    bool ok() const { return m_error->isEmpty(); }

    void allow(std::initializer_list<const char *> names)
    {
        QSet<QString> known;
        for (const char *name : names)
            known.insert(QString::fromLatin1(name));
        for (auto it = m_object.constBegin(); it != m_object.constEnd(); ++it) {
            if (!known.contains(it.key()))
                return fail(it.key(), QStringLiteral("is not a known member"));
        }
    }

    bool has(const char *name) const { return m_object.contains(QLatin1String(name)); }

    QString string(const char *name, const QString &fallback, bool required = false)
    {
        const QJsonValue value = m_object.value(QLatin1String(name));
        if (value.isUndefined()) {
            if (required)
                fail(name, QStringLiteral("is missing"));
            return fallback;
        }
        if (!value.isString()) {
            fail(name, QStringLiteral("must be a string"));
            return fallback;
        }
        return value.toString();
    }

    int integer(const char *name, int fallback, int minimum, bool required = false)
    {
        const QJsonValue value = m_object.value(QLatin1String(name));
        if (value.isUndefined()) {
            if (required)
                fail(name, QStringLiteral("is missing"));
            return fallback;
        }
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || number != std::floor(number) || number < minimum || number > 2147483647.0) {
            fail(name, QStringLiteral("must be a whole number of at least %1").arg(minimum));
            return fallback;
        }
        return static_cast<int>(number);
    }

    double number(const char *name, double fallback, double minimum, bool strictlyAbove)
    {
        const QJsonValue value = m_object.value(QLatin1String(name));
        if (value.isUndefined())
            return fallback;
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || !std::isfinite(number) || number < minimum || (strictlyAbove && number == minimum)) {
            fail(name, strictlyAbove ? QStringLiteral("must be a number above %1").arg(minimum)
                                     : QStringLiteral("must be a number of at least %1").arg(minimum));
            return fallback;
        }
        return number;
    }

    bool boolean(const char *name, bool fallback)
    {
        const QJsonValue value = m_object.value(QLatin1String(name));
        if (value.isUndefined())
            return fallback;
        if (!value.isBool()) {
            fail(name, QStringLiteral("must be true or false"));
            return fallback;
        }
        return value.toBool();
    }

    QJsonArray array(const char *name, bool required = false)
    {
        const QJsonValue value = m_object.value(QLatin1String(name));
        if (value.isUndefined()) {
            if (required)
                fail(name, QStringLiteral("is missing"));
            return QJsonArray();
        }
        if (!value.isArray()) {
            fail(name, QStringLiteral("must be an array"));
            return QJsonArray();
        }
        return value.toArray();
    }

    QJsonObject object(const char *name)
    {
        const QJsonValue value = m_object.value(QLatin1String(name));
        if (value.isUndefined())
            return QJsonObject();
        if (!value.isObject()) {
            fail(name, QStringLiteral("must be an object"));
            return QJsonObject();
        }
        return value.toObject();
    }

    void fail(const QString &member, const QString &what)
    {
        if (m_error->isEmpty())
            *m_error = (m_path.isEmpty() ? member : m_path + QLatin1Char('.') + member) + QLatin1Char(' ') + what;
    }
    void fail(const char *member, const QString &what) { fail(QString::fromLatin1(member), what); }

private:
    QJsonObject m_object;
    QString m_path;
    QString *m_error;
};

// The element at index of an array that must hold objects.
bool elementObject(const QJsonArray &array, int index, const QString &path, QJsonObject *object, QString *error)
{
    if (!array.at(index).isObject()) {
        *error = QStringLiteral("%1[%2] must be an object").arg(path).arg(index);
        return false;
    }
    *object = array.at(index).toObject();
    return true;
}

FW_ErrorList readErrors(const QJsonArray &array, const QString &path, QString *error)
{
    FW_ErrorList errors;
    for (int i = 0; i < array.size() && error->isEmpty(); ++i) {
        const QString itemPath = QStringLiteral("%1[%2]").arg(path).arg(i);
        QJsonObject object;
        if (!elementObject(array, i, path, &object, error))
            break;
        Reader reader(object, itemPath, error);
        reader.allow({"code", "msg", "type"});
        const QString code = reader.string("code", QString(), true);
        const QString message = reader.string("msg", QString(), true);
        const int type = reader.integer("type", FW_Error::HwError, FW_Error::GenericError);
        if (reader.ok() && type > FW_Error::ConfError)
            reader.fail("type", QStringLiteral("must be 0 to 4"));
        if (reader.ok() && code.isEmpty())
            reader.fail("code", QStringLiteral("must not be empty"));
        if (reader.ok())
            errors.append(FW_Error(static_cast<FW_Error::ErrorType>(type), message, code));
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

} // namespace

SimScenario::SimScenario()
    : m_version(QString::fromLatin1(kDefaultVersion)),
      m_resetMs(kDefaultResetMs),
      m_dosingRate(kDefaultDosingRate),
      m_channelMs(0)
{
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
        && m_levels == other.m_levels && m_inactive == other.m_inactive && m_errors == other.m_errors;
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
    Reader top(document.object(), QString(), &problem);
    top.allow({"version", "timing", "machines"});
    scenario.m_version = top.string("version", scenario.m_version);

    Reader timing(top.object("timing"), QStringLiteral("timing"), &problem);
    timing.allow({"resetMs", "dosingRate", "channelMs"});
    scenario.m_resetMs = timing.integer("resetMs", scenario.m_resetMs, 0);
    scenario.m_dosingRate = timing.number("dosingRate", scenario.m_dosingRate, 0.0, true);
    scenario.m_channelMs = timing.integer("channelMs", scenario.m_channelMs, 0);

    const QJsonArray machines = top.array("machines", true);
    for (int i = 0; i < machines.size() && problem.isEmpty(); ++i) {
        const QString path = QStringLiteral("machines[%1]").arg(i);
        QJsonObject object;
        if (!elementObject(machines, i, QStringLiteral("machines"), &object, &problem))
            break;
        Reader machine(object, path, &problem);
        const QString typeText = machine.string("type", QString(), true);
        int type = 0;
        for (int candidate : {int(MachineID::Dispenser), int(MachineID::Mixer), int(MachineID::Scale)}) {
            if (typeText == typeName(candidate))
                type = candidate;
        }
        if (!machine.ok())
            break;
        if (type == 0) {
            machine.fail("type", QStringLiteral("must be \"dispenser\", \"mixer\" or \"scale\""));
            break;
        }
        if (type == MachineID::Dispenser)
            machine.allow({"type", "number", "model", "name", "serial", "active", "errors", "circuits", "scale"});
        else
            machine.allow({"type", "number", "model", "name", "serial", "active", "errors"});

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
        const FW_ErrorList errors = readErrors(machine.array("errors"), path + QStringLiteral(".errors"), &problem);

        if (type == MachineID::Dispenser) {
            auto *dispenser = static_cast<FW_Dispenser *>(built.get());
            dispenser->setScaleNumber(machine.integer("scale", 0, 0));
            const QJsonArray circuits = machine.array("circuits");
            QList<FW_Circuit> list;
            for (int c = 0; c < circuits.size() && problem.isEmpty(); ++c) {
                const QString circuitPath = QStringLiteral("%1.circuits[%2]").arg(path).arg(c);
                QJsonObject circuitObject;
                if (!elementObject(circuits, c, path + QStringLiteral(".circuits"), &circuitObject, &problem))
                    break;
                Reader circuit(circuitObject, circuitPath, &problem);
                circuit.allow({"position", "colorant", "name", "level", "capacity", "enabled"});
                const int position = circuit.integer("position", 0, 1, true);
                const QString colorant = circuit.string("colorant", QString(), true);
                const double capacity = circuit.number("capacity", kDefaultCapacity, 0.0, true);
                const double level = circuit.number("level", capacity, 0.0, false);
                FW_Circuit item(position, colorant, capacity, circuit.boolean("enabled", true));
                item.setColorantName(circuit.string("name", QString()));
                if (!circuit.ok())
                    break;
                for (const FW_Circuit &seen : list) {
                    if (seen.position() == position)
                        circuit.fail("position", QStringLiteral("%1 is used twice").arg(position));
                }
                list.append(item);
                scenario.setLevel(number, position, level);
            }
            if (problem.isEmpty())
                dispenser->setCircuits(list);
        }
        if (!problem.isEmpty())
            break;
        if (!scenario.m_configuration.addMachine(*built)) {
            problem = QStringLiteral("%1: %2 %3 is listed twice").arg(path, typeText).arg(number);
            break;
        }
        scenario.setActive(built->machineID(), active);
        scenario.setErrors(built->machineID(), errors);
    }

    if (problem.isEmpty()) {
        for (const FW_Machine *machine : scenario.m_configuration.getMachines(MachineID::Dispenser)) {
            const int scale = static_cast<const FW_Dispenser *>(machine)->scaleNumber();
            if (scale > 0 && !scenario.m_configuration.getScaleById(scale))
                problem = QStringLiteral("dispenser %1 names scale %2, which is not listed")
                              .arg(machine->machineNumber())
                              .arg(scale);
        }
    }
    if (!problem.isEmpty()) {
        *error = problem;
        return SimScenario();
    }
    error->clear();
    return scenario;
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
    for (const FW_Machine *machine : m_configuration.getMachines()) {
        QJsonObject object;
        object.insert(QStringLiteral("type"), typeName(machine->machineType()));
        object.insert(QStringLiteral("number"), machine->machineNumber());
        object.insert(QStringLiteral("model"), static_cast<int>(machine->model()));
        object.insert(QStringLiteral("name"), machine->name());
        object.insert(QStringLiteral("serial"), machine->serialNumber());
        object.insert(QStringLiteral("active"), isActive(machine->machineID()));
        const FW_ErrorList machineErrors = errors(machine->machineID());
        if (!machineErrors.isEmpty())
            object.insert(QStringLiteral("errors"), writeErrors(machineErrors));
        if (machine->machineType() == MachineID::Dispenser) {
            const auto *dispenser = static_cast<const FW_Dispenser *>(machine);
            if (dispenser->hasScale())
                object.insert(QStringLiteral("scale"), dispenser->scaleNumber());
            QJsonArray circuits;
            for (const FW_Circuit &circuit : dispenser->circuits()) {
                QJsonObject item;
                item.insert(QStringLiteral("position"), circuit.position());
                item.insert(QStringLiteral("colorant"), circuit.colorantCode());
                if (!circuit.colorantName().isEmpty())
                    item.insert(QStringLiteral("name"), circuit.colorantName());
                item.insert(QStringLiteral("level"), level(dispenser->machineNumber(), circuit.position()));
                item.insert(QStringLiteral("capacity"), circuit.capacity());
                item.insert(QStringLiteral("enabled"), circuit.isEnabled());
                circuits.append(item);
            }
            object.insert(QStringLiteral("circuits"), circuits);
        }
        machines.append(object);
    }
    top.insert(QStringLiteral("machines"), machines);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}
