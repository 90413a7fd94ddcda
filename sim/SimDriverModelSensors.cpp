// The simulated driver's readings: the state of a dispenser's circuits, its
// sensors and the weight on the scale it doses onto. Part of SimDriverModel;
// m_mutex guards everything here as in the rest of the model.

#include "SimDriverModel.h"

#include "CircuitsStatusAnswer.h"
#include "ProtoAnswer.h"
#include "ScaleStatusAnswer.h"
#include "SensorDataAnswer.h"
#include "SensorDataCmd.h"
#include "WeightAnswer.h"

#include <algorithm>

using XmlRpc::XmlRpcValue;

namespace {

// What the gear/AC motor reads while a process runs and while idle.
const double kMotorRpmRunning = 1400.0;
const double kInverterAmpsRunning = 2.4;
const double kInverterAmpsIdle = 0.3;

bool isInt(const XmlRpcValue &value)
{
    return value.getType() == XmlRpcValue::TypeInt;
}

//! Whether the dispenser carries the sensor the reading needs.
bool hasSensor(const FW_Dispenser &dispenser, int sensor)
{
    switch (sensor) {
    case SensorDataCmd::SensorHumidityProbe: return dispenser.hasDevice(FW_Dispenser::DeviceHumiditySensor);
    case SensorDataCmd::SensorHumidifier: return dispenser.hasDevice(FW_Dispenser::DeviceHumidifier);
    default:
        return dispenser.hasDevice(FW_Dispenser::DeviceGearMotorSensor) || dispenser.hasSingleTransmission();
    }
}

} // namespace

XmlRpcValue SimDriverModel::circuitsStatus(const MachineID &machine, const XmlRpcValue &params)
{
    const XmlRpcValue invalid = failure(ProtoAnswer::RC_INVALID_PARAMS, InvalidParams,
                                        QStringLiteral("GET_CIRCUITS_STATUS"));
    if (params.size() < 1 || params[0].getType() != XmlRpcValue::TypeArray)
        return invalid;
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const FW_Dispenser *dispenser = m_configuration.getDispenserById(machine.machineNumber);
    if (!dispenser || machine.machineType != MachineID::Dispenser)
        return failure(ProtoAnswer::RC_NOT_SUPPORTED, NotSupported);
    QList<int> positions;
    for (int i = 0; i < params[0].size(); ++i) {
        if (!isInt(params[0][i]) || !dispenser->hasCircuit(params[0][i].asInt()))
            return invalid;
        positions.append(params[0][i].asInt());
    }
    if (positions.isEmpty())
        positions = dispenser->getPositionsIDList(false);
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    QList<CircuitsStatusAnswer::Circuit> circuits;
    for (int position : positions) {
        const FW_Circuit *config = dispenser->circuit(position);
        CircuitsStatusAnswer::Circuit circuit;
        circuit.position = position;
        circuit.enabled = config->isEnabled();
        circuit.level = m_levels.value(qMakePair(machine.machineNumber, position), 0.0);
        if (circuit.level <= 0.0)
            circuit.status = CircuitsStatusAnswer::CircuitEmpty;
        else if (config->reserveLevel() > 0.0 && circuit.level <= config->reserveLevel())
            circuit.status = CircuitsStatusAnswer::CircuitReserve;
        circuits.append(circuit);
    }
    return CircuitsStatusAnswer(circuits).toXmlRpcValue();
}

XmlRpcValue SimDriverModel::sensorData(const MachineID &machine, const XmlRpcValue &params)
{
    if (params.size() < 2 || !isInt(params[0]) || !isInt(params[1])
        || !SensorDataCmd::isValidReading(params[0].asInt(), params[1].asInt()))
        return failure(ProtoAnswer::RC_INVALID_PARAMS, InvalidParams, QStringLiteral("GET_SENSOR_DATA"));
    const int sensor = params[0].asInt();
    const int measure = params[1].asInt();
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const Runtime *runtime = this->runtime(machine);
    const FW_Dispenser *dispenser = m_configuration.getDispenserById(machine.machineNumber);
    if (!runtime || !dispenser || machine.machineType != MachineID::Dispenser || !hasSensor(*dispenser, sensor))
        return failure(ProtoAnswer::RC_NOT_SUPPORTED, NotSupported);
    const bool running = runtime->process.running;
    switch (sensor) {
    case SensorDataCmd::SensorGearMotor:
        return SensorDataAnswer(sensor, measure, running ? kMotorRpmRunning : 0.0, QStringLiteral("rpm"))
            .toXmlRpcValue();
    case SensorDataCmd::SensorMotorInverter:
        return SensorDataAnswer(sensor, measure, running ? kInverterAmpsRunning : kInverterAmpsIdle,
                                QStringLiteral("A"))
            .toXmlRpcValue();
    default:
        if (measure == SensorDataCmd::MeasureHumidity)
            return SensorDataAnswer(sensor, measure, runtime->state.humidity(), QStringLiteral("%")).toXmlRpcValue();
        return SensorDataAnswer(sensor, measure, runtime->state.temperature(), QStringLiteral("C")).toXmlRpcValue();
    }
}

XmlRpcValue SimDriverModel::currentWeight(const MachineID &machine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point now = Clock::now();
    settle(now);
    const FW_Dispenser *dispenser = m_configuration.getDispenserById(machine.machineNumber);
    const int scale = machine.machineType == MachineID::Scale ? machine.machineNumber
        : dispenser                                           ? wiredScale(*dispenser)
                                                              : 0;
    const Runtime *scaleRuntime = scale > 0 ? this->runtime(MachineID(scale, MachineID::Scale)) : nullptr;
    if (!scaleRuntime)
        return failure(ProtoAnswer::RC_NOT_SUPPORTED, NotSupported);
    if (!scaleRuntime->state.isUp())
        return failure(ProtoAnswer::RC_REFUSED, MachineBusy);
    // The load plus what the gravimetric dispensers dosing onto it put there so far.
    double grams = m_scaleLoads.value(scale, 0.0);
    bool stable = true;
    for (auto it = m_machines.constBegin(); it != m_machines.constEnd(); ++it) {
        const Process &process = it.value().process;
        if (it.key().machineType != MachineID::Dispenser || !process.running || process.command != QLatin1String("TINT")
            || gravimetricScale(it.key().machineNumber) != scale)
            continue;
        grams += dosedGrams(it.key().machineNumber, process.formula, elapsedMs(process.start, now));
        stable = false;
    }
    return WeightAnswer(MachineID(scale, MachineID::Scale), grams, QStringLiteral("g"), stable)
        .toXmlRpcValue();
}

XmlRpcValue SimDriverModel::scaleStatus(const MachineID &machine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const FW_Dispenser *dispenser = m_configuration.getDispenserById(machine.machineNumber);
    const int scale = machine.machineType == MachineID::Scale ? machine.machineNumber
        : dispenser                                           ? wiredScale(*dispenser)
                                                              : 0;
    const Runtime *scaleRuntime = scale > 0 ? this->runtime(MachineID(scale, MachineID::Scale)) : nullptr;
    return ScaleStatusAnswer(scaleRuntime && scaleRuntime->state.isUp(), MachineID(scale, MachineID::Scale),
                             QStringLiteral("g"))
        .toXmlRpcValue();
}

bool SimDriverModel::setScaleLoad(int scale, double grams)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_machines.contains(MachineID(scale, MachineID::Scale)) || !(grams >= 0.0))
        return false;
    m_scaleLoads[scale] = grams;
    changed();
    return true;
}

bool SimDriverModel::wireScale(int dispenser, int scale)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_configuration.getDispenserById(dispenser) || scale < 0
        || (scale > 0 && !m_machines.contains(MachineID(scale, MachineID::Scale))))
        return false;
    m_wiredScales[dispenser] = scale;
    changed();
    return true;
}

double SimDriverModel::dosedGrams(int dispenser, const Formula &formula, int64_t elapsed) const
{
    const FW_Dispenser *config = m_configuration.getDispenserById(dispenser);
    double grams = 0.0;
    int64_t offset = 0;
    for (const FormulaChannel &channel : formula.channels()) {
        for (const ChannelIngredient &ingredient : channel.ingredients()) {
            const int64_t time = std::max<int64_t>(1, ingredient.timeEstimate());
            const double portion = elapsed >= offset + time ? 1.0
                : elapsed <= offset                          ? 0.0
                                                             : double(elapsed - offset) / double(time);
            const FW_Circuit *circuit = config ? config->circuit(ingredient.position()) : nullptr;
            const double density = circuit && circuit->density() > 0.0 ? circuit->density() : 1.0;
            const double amount = ingredient.unit() == ChannelIngredient::Weight ? ingredient.amount()
                                                                                 : ingredient.amount() * density;
            grams += amount * portion;
        }
        offset += channel.duration();
    }
    return grams;
}

int SimDriverModel::gravimetricScale(int dispenser) const
{
    const FW_Dispenser *config = m_configuration.getDispenserById(dispenser);
    return config && config->isGravimetric() ? wiredScale(*config) : 0;
}
