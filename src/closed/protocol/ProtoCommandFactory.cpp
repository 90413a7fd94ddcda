#include "ProtoCommandFactory.h"

#include "DeleteMachineCmd.h"
#include "Formula.h"
#include "GenericFormulaCmd.h"
#include "GetCommandStatusCmd.h"
#include "GetDbFileCmd.h"
#include "GetDispensedFormulaCmd.h"
#include "SetDbFileCmd.h"
#include "LoginCmd.h"
#include "PurgeFormulaCmd.h"
#include "SaveConfigCmd.h"
#include "SaveMachineConfigCmd.h"
#include "TintCmd.h"

#include <memory>

namespace {

// The formula of a dispensing command: the first parameter, or none at all.
bool formulaParameter(const QList<QVariant> &parameters, Formula &formula)
{
    if (parameters.isEmpty())
        return true;
    if (parameters.size() != 1 || parameters.first().userType() != qMetaTypeId<Formula>())
        return false;
    formula = parameters.first().value<Formula>();
    return true;
}

bool isInt(const QVariant &value)
{
    return value.type() == QVariant::Int;
}

} // namespace

ProtoCommand *ProtoCommandFactory::create(const QString &name, const QList<QVariant> &parameters,
                                          const FW_Machine *machine)
{
    std::unique_ptr<ProtoCommand> command;
    if (name == QLatin1String("TINT") || name == QLatin1String("TINT2")) {
        Formula formula;
        if (!formulaParameter(parameters, formula))
            return nullptr;
        command.reset(new TintCmd(name, formula, machine));
    } else if (name == QLatin1String("PURGE")) {
        Formula formula;
        if (!formulaParameter(parameters, formula))
            return nullptr;
        command.reset(new PurgeFormulaCmd(formula, machine));
    } else if (name == QLatin1String("GET_FORMULA_EXECUTION") && !parameters.isEmpty()) {
        Formula formula;
        if (!formulaParameter(parameters, formula))
            return nullptr;
        command.reset(new GenericFormulaCmd(name, formula));
    } else if (name == QLatin1String("GETDBFILE") && parameters.size() == 1
               && parameters.first().type() == QVariant::String) {
        command.reset(new GetDbFileCmd(parameters.first().toString()));
    } else if (name == QLatin1String("SETDBFILE") && parameters.size() == 1
               && parameters.first().type() == QVariant::ByteArray) {
        command.reset(new SetDbFileCmd(parameters.first().toByteArray()));
    } else if (name == QLatin1String("GET_DISPENSED_FORMULA") && parameters.size() == 2 && isInt(parameters.at(0))
               && isInt(parameters.at(1))) {
        command.reset(new GetDispensedFormulaCmd(parameters.at(0).toInt(), parameters.at(1).toInt()));
    } else if (name == QLatin1String("GET_CMD_STATUS") && parameters.size() == 1 && isInt(parameters.first())) {
        command.reset(new GetCommandStatusCmd(parameters.first().toInt()));
    } else if (name == QLatin1String("LOGIN") && (parameters.size() == 3 || parameters.size() == 4)
               && parameters.at(0).userType() == qMetaTypeId<MachineID>() && isInt(parameters.at(2))
               && (parameters.size() == 3 || isInt(parameters.at(3)))) {
        command.reset(new LoginCmd(parameters.at(0).value<MachineID>(), parameters.at(1).toString(),
                                   parameters.at(2).toInt(), parameters.size() == 4 ? parameters.at(3).toInt() : 1));
    } else if (parameters.isEmpty()
               && (name == QLatin1String("SAVE_CONFIG") || name == QLatin1String("SAVE_MACHINE_CONFIG")
                   || name == QLatin1String("DELETE_MACHINE"))) {
        // Known by name only (e.g. to read its catalogue properties).
        command.reset(new ProtoCommand(name, parameters, machine));
    } else if (name == QLatin1String("SAVE_CONFIG")) {
        if (parameters.size() != 3 || parameters.first().userType() != qMetaTypeId<FW_Configuration>())
            return nullptr;
        command.reset(new SaveConfigCmd(parameters.at(0).value<FW_Configuration>(), parameters.at(1).toBool(),
                                        parameters.at(2).toBool()));
    } else if (name == QLatin1String("SAVE_MACHINE_CONFIG")) {
        command.reset(SaveMachineConfigCmd::fromParameters(parameters));
    } else if (name == QLatin1String("DELETE_MACHINE")) {
        command.reset(DeleteMachineCmd::fromParameters(parameters));
    } else {
        command.reset(new ProtoCommand(name, parameters, machine));
    }
    if (!command)
        return nullptr;
    bool ok = false;
    command->toXmlRpcValue(QString(), &ok);
    return ok ? command.release() : nullptr;
}
