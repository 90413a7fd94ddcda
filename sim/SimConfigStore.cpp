#include "SimConfigStore.h"

#include "GetCalibrationProfilesAnswer.h"
#include "GetCommandListAnswer.h"
#include "GetConfigAnswer.h"
#include "GetDriverSettingsAnswer.h"
#include "ProtoCommandList.h"
#include "SimDriverModel.h"
#include "SimProtocolHandler.h"
#include "SimScenario.h"
#include "XmlRpcAnswer.h"

#include <QtCore/QSet>

#include <algorithm>

using XmlRpc::XmlRpcValue;

SimConfigStore::SimConfigStore(const SimScenario &scenario)
    : m_working(scenario.configuration()),
      m_factory(factoryOf(scenario.configuration())),
      m_profiles(scenario.calibrationProfiles()),
      m_settings(scenario.driverSettings())
{
    for (const MachineID &id : m_working.getMachinesID()) {
        const QList<ProtocolCommandInfo> listed = scenario.commandList(id);
        m_commands.insert(id, listed.isEmpty() ? implementedCommands(id.machineType) : listed);
    }
    for (const FW_Machine *machine : m_working.getMachines(MachineID::Dispenser)) {
        const auto &dispenser = static_cast<const FW_Dispenser &>(*machine);
        const int number = dispenser.machineNumber();
        const QList<CalibrationData> calibration = scenario.calibrationList(number);
        const QList<BasicCalibrationData> recalibration = scenario.recalibrationList(number);
        m_calibration.insert(number, calibration.isEmpty() ? defaultCalibrationList(dispenser) : calibration);
        m_recalibration.insert(number, recalibration.isEmpty() ? defaultRecalibrationList(dispenser) : recalibration);
    }
}

FW_Configuration SimConfigStore::factoryOf(const FW_Configuration &working)
{
    FW_Configuration factory = working;
    for (FW_Machine *machine : factory.getMachines()) {
        machine->setName(FW_Machine::modelName(machine->model()));
        machine->setRevision(0);
        machine->setCID(QString());
    }
    return factory;
}

QList<ProtocolCommandInfo> SimConfigStore::implementedCommands(int machineType)
{
    QList<ProtocolCommandInfo> commands;
    for (const QString &name : ProtoCommandList::commandNames()) {
        const ProtoCommandRecord *record = ProtoCommandList::record(name);
        if (record->addressesMachine() && (record->machineTypes & machineType) != 0
            && SimProtocolHandler::implements(name))
            commands.append(ProtocolCommandInfo(name, 1));
    }
    return commands;
}

const FW_Configuration &SimConfigStore::configuration(int type) const
{
    return type == FactoryConfiguration ? m_factory : m_working;
}

XmlRpcValue SimConfigStore::configurationResult(const XmlRpcValue &params) const
{
    return configurationResult(params, m_working, m_factory);
}

XmlRpcValue SimConfigStore::configurationResult(const XmlRpcValue &params, const FW_Configuration &working,
                                                const FW_Configuration &factory) const
{
    int type = WorkingConfiguration;
    if (params.getType() == XmlRpcValue::TypeArray && params.size() > 0) {
        const XmlRpcValue &first = params[0];
        if (first.getType() != XmlRpcValue::TypeInt
            || (first.asInt() != WorkingConfiguration && first.asInt() != FactoryConfiguration))
            return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::InvalidParams,
                                           QStringLiteral("GET_CONFIG"));
        type = first.asInt();
    }
    return GetConfigAnswer(type == WorkingConfiguration ? working : factory).toXmlRpcValue();
}

XmlRpcValue SimConfigStore::calibrationProfilesResult() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return GetCalibrationProfilesAnswer(m_profiles).toXmlRpcValue();
}

XmlRpcValue SimConfigStore::driverSettingsResult() const
{
    return GetDriverSettingsAnswer(driverSettings()).toXmlRpcValue();
}

DriverSettings SimConfigStore::driverSettings() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_settings;
}

XmlRpcValue SimConfigStore::commandListResult(const MachineID &machine) const
{
    const auto listed = m_commands.constFind(machine);
    return GetCommandListAnswer(listed != m_commands.constEnd() ? *listed : implementedCommands(machine.machineType))
        .toXmlRpcValue();
}

namespace {

XmlRpcValue invalid(const char *command)
{
    return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::InvalidParams,
                                   QLatin1String(command));
}

XmlRpcValue acknowledged()
{
    return XmlRpcAnswer::makeResult(ProtoAnswer::RC_OK, FW_ErrorList(), XmlRpcValue::emptyStruct());
}

bool isBool(const XmlRpcValue &value)
{
    return value.getType() == XmlRpcValue::TypeBoolean;
}

// Replaces the points of the circuits the new list names; the rest stay.
template<class T>
QList<T> merged(const QList<T> &current, const QList<T> &points)
{
    QList<T> result;
    QSet<int> named;
    for (const T &point : points)
        named.insert(point.circuit());
    for (const T &point : current) {
        if (!named.contains(point.circuit()))
            result.append(point);
    }
    result.append(points);
    std::stable_sort(result.begin(), result.end(), [](const T &a, const T &b) {
        return a.circuit() != b.circuit() ? a.circuit() < b.circuit() : a.volume() < b.volume();
    });
    return result;
}

template<class T>
QList<T> ofCircuit(const QList<T> &points, int circuit)
{
    if (circuit == 0)
        return points;
    QList<T> result;
    for (const T &point : points) {
        if (point.circuit() == circuit)
            result.append(point);
    }
    return result;
}

QString number(double value)
{
    return QString::number(value, 'f', 3);
}

} // namespace

XmlRpcValue SimConfigStore::saveCalibrationProfiles(const XmlRpcValue &params)
{
    bool ok = params.size() == 3 && isBool(params[1]) && isBool(params[2]);
    const FW_CalibrationProfiles saved = ok ? FW_CalibrationProfiles::fromXmlRpcValue(params[0], &ok)
                                            : FW_CalibrationProfiles();
    if (!ok)
        return invalid("SET_CALIB_PROFILES");
    const bool custom = params[1].asBool();
    const bool defaults = params[2].asBool();
    std::lock_guard<std::mutex> lock(m_mutex);
    FW_CalibrationProfiles kept = m_profiles.getFilteredProfiles(!custom, !defaults);
    for (const FW_CalibrationProfiles::Profile &profile : saved.getFilteredProfiles(custom, defaults).profiles())
        kept.setProfile(profile);
    m_profiles = kept;
    return acknowledged();
}

XmlRpcValue SimConfigStore::saveDriverSettings(const XmlRpcValue &params)
{
    if (params.size() != 1 || params[0].getType() != XmlRpcValue::TypeStruct)
        return invalid("SET_DRIVER_SETTINGS");
    std::lock_guard<std::mutex> lock(m_mutex);
    XmlRpcValue merged = m_settings.toXmlRpcValue();
    for (const auto &member : params[0].asStruct()) {
        if (!merged.hasMember(member.first))
            return invalid("SET_DRIVER_SETTINGS");
        merged[member.first] = member.second;
    }
    bool ok = false;
    const DriverSettings settings = DriverSettings::fromXmlRpcValue(merged, &ok);
    // A value the settings did not take (e.g. log level 9) is refused too.
    if (!ok || settings.toXmlRpcValue() != merged)
        return invalid("SET_DRIVER_SETTINGS");
    m_settings = settings;
    return acknowledged();
}

QList<CalibrationData> SimConfigStore::calibrationList(int dispenser, int circuit) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return ofCircuit(m_calibration.value(dispenser), circuit);
}

QList<BasicCalibrationData> SimConfigStore::recalibrationList(int dispenser, int circuit) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return ofCircuit(m_recalibration.value(dispenser), circuit);
}

void SimConfigStore::setCalibrationList(int dispenser, const QList<CalibrationData> &points)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calibration.insert(dispenser, merged(m_calibration.value(dispenser), points));
}

void SimConfigStore::setRecalibrationList(int dispenser, const QList<BasicCalibrationData> &points)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_recalibration.insert(dispenser, merged(m_recalibration.value(dispenser), points));
}

QStringList SimConfigStore::qrCodes(int dispenser, int capacity) const
{
    QString text = QStringLiteral("D%1;").arg(dispenser);
    for (const CalibrationData &point : calibrationList(dispenser, 0)) {
        text += QStringLiteral("%1,%2,%3,%4,%5;")
                    .arg(point.circuit())
                    .arg(number(point.volume()), number(point.factor()))
                    .arg(point.steps())
                    .arg(number(point.weight()));
    }
    // The header takes room of its own: "AXOCAL/k/n/" with up to four digits each.
    const int chunk = std::max(1, capacity - 17);
    const int count = (text.size() + chunk - 1) / chunk;
    QStringList codes;
    for (int k = 0; k < count; ++k)
        codes.append(QStringLiteral("AXOCAL/%1/%2/").arg(k + 1).arg(count) + text.mid(k * chunk, chunk));
    return codes;
}

QList<CalibrationData> SimConfigStore::defaultCalibrationList(const FW_Dispenser &dispenser)
{
    QList<CalibrationData> points;
    for (const FW_Circuit &circuit : dispenser.circuits()) {
        for (double volume : {0.5, 5.0, 50.0})
            points.append(CalibrationData(circuit.position(), volume, 1.0, static_cast<int>(volume * 1000), volume * 1.3));
    }
    return points;
}

QList<BasicCalibrationData> SimConfigStore::defaultRecalibrationList(const FW_Dispenser &dispenser)
{
    QList<BasicCalibrationData> points;
    for (const FW_Circuit &circuit : dispenser.circuits()) {
        for (double volume : {1.0, 10.0})
            points.append(BasicCalibrationData(circuit.position(), volume, 1.0));
    }
    return points;
}
