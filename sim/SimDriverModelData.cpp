// The simulated driver's data of its dispensers: configuration and levels
// for the list commands, SET_LEVELS, the plan of a formula and a restart of
// the driver. Part of SimDriverModel; m_mutex guards everything here as in
// the rest of the model.

#include "SimDriverModel.h"

#include "FormulaProgress.h"
#include "GetFormulaExecutionAnswer.h"
#include "ProtoAnswer.h"

using XmlRpc::XmlRpcValue;

bool SimDriverModel::dispenserSnapshot(int number, FW_Dispenser *dispenser, QMap<int, double> *levels)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    const FW_Dispenser *config = m_configuration.getDispenserById(number);
    if (!config)
        return false;
    *dispenser = *config;
    levels->clear();
    for (const FW_Circuit &circuit : config->circuits())
        levels->insert(circuit.position(), m_levels.value(qMakePair(number, circuit.position()), 0.0));
    return true;
}

XmlRpcValue SimDriverModel::setLevels(const MachineID &machine, const XmlRpcValue &params)
{
    const QString command = QStringLiteral("SET_LEVELS");
    std::lock_guard<std::mutex> lock(m_mutex);
    settle(Clock::now());
    Runtime *runtime = this->runtime(machine);
    const FW_Dispenser *dispenser = m_configuration.getDispenserById(machine.machineNumber);
    if (!runtime || !dispenser)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    if (runtime->process.running)
        return failure(ProtoAnswer::RC_REFUSED, MachineBusy);
    if (params.size() != 1 || params[0].getType() != XmlRpcValue::TypeArray)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, InvalidParams, command);
    QMap<int, double> levels;
    const XmlRpcValue &list = params[0];
    for (int i = 0; i < list.size(); ++i) {
        const XmlRpcValue &entry = list[i];
        if (entry.getType() != XmlRpcValue::TypeStruct || !entry.hasMember("position") || !entry.hasMember("level")
            || entry["position"].getType() != XmlRpcValue::TypeInt)
            return failure(ProtoAnswer::RC_INVALID_PARAMS, InvalidParams, command);
        const XmlRpcValue &value = entry["level"];
        const bool number = value.getType() == XmlRpcValue::TypeDouble || value.getType() == XmlRpcValue::TypeInt;
        const double level = value.getType() == XmlRpcValue::TypeDouble ? value.asDouble()
            : number                                                     ? double(value.asInt())
                                                                         : -1.0;
        const FW_Circuit *circuit = dispenser->circuit(entry["position"].asInt());
        if (!circuit || level < 0.0 || level > circuit->capacity())
            return failure(ProtoAnswer::RC_INVALID_PARAMS, InvalidParams, command);
        levels.insert(circuit->position(), level);
    }
    for (auto it = levels.constBegin(); it != levels.constEnd(); ++it)
        m_levels.insert(qMakePair(machine.machineNumber, it.key()), it.value());
    changed();
    return okResult(XmlRpcValue::emptyStruct());
}

XmlRpcValue SimDriverModel::formulaExecution(const MachineID &machine, const XmlRpcValue &formulaValue)
{
    const QString command = QStringLiteral("GET_FORMULA_EXECUTION");
    std::lock_guard<std::mutex> lock(m_mutex);
    const FW_Dispenser *dispenser = m_configuration.getDispenserById(machine.machineNumber);
    if (!dispenser)
        return failure(ProtoAnswer::RC_INVALID_PARAMS, UnknownMachine);
    bool ok = false;
    const Formula formula = Formula::fromXmlRpcValue(formulaValue, &ok);
    if (!ok || formula.isEmpty())
        return failure(ProtoAnswer::RC_INVALID_PARAMS, InvalidParams, command);
    Formula timed;
    QMap<int, double> needed;
    const XmlRpcValue refused = planFormula(*dispenser, formula, command, &timed, &needed);
    if (refused.valid())
        return refused;
    return GetFormulaExecutionAnswer(FormulaProgress(timed)).toXmlRpcValue();
}

void SimDriverModel::restart()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point now = Clock::now();
    settle(now);
    for (auto it = m_machines.begin(); it != m_machines.end(); ++it) {
        if (it->process.running)
            finishProcess(it.key(), *it, now, true);
    }
    m_tickets.clear();
    m_data.log(QStringLiteral("Driver restarted"));
    changed();
}
