// Lists, driver data, the ultrasonic cleaner's water and formulas: the
// command API's reads of a driver's data. Each builds one command, runs it
// blocking on a copy, checks the answer's class and copies its data out;
// failures become error records in the data store and the caller's output
// is left as it was.

#include "NECmdManager.h"

#include "AXOCommData.h"
#include "AXOCurrentCommData.h"
#include "DispenserStatusAnswer.h"
#include "FW_Exception.h"
#include "GenericFormulaCmd.h"
#include "GetActiveCircuitsCmd.h"
#include "GetActiveDispAnswer.h"
#include "GetCanisterListAnswer.h"
#include "GetCircuitListAnswer.h"
#include "GetColorantListAnswer.h"
#include "GetDataListCmd.h"
#include "GetDeviceListAnswer.h"
#include "GetDispensedFormulaAnswer.h"
#include "GetDispensedFormulaCmd.h"
#include "GetDriverInfoAnswer.h"
#include "GetFormulaExecutionAnswer.h"
#include "GetSwVersionAnswer.h"
#include "GetUssWaterStatusAnswer.h"
#include "MachineDriverStatusAnswer.h"
#include "NECommand.h"
#include "NEDispCommand.h"
#include "NEMixerCommand.h"
#include "TintCmd.h"

#include <memory>

namespace {

const MachineID kDriver(0, 0);

AXOCommData *store()
{
    return AXOCommData::instance();
}

void dispError(int driverID, int dispID, const QString &message, const QString &code)
{
    store()->setDispError(driverID, dispID, FW_DriverError(message, code), false, AXOCommData::EmitAlways);
}

void driverError(int driverID, const QString &message, const char *code)
{
    store()->setError(driverID, FW_DriverError(message, QLatin1String(code)), false, AXOCommData::EmitAlways);
}

// The answer of a command that ran to status 0, when it is of that class.
template<typename Answer>
std::unique_ptr<Answer> answerOf(const NECommand &cmd)
{
    return cmd.isDoneSuccessfully() ? cmd.answerAs<Answer>() : nullptr;
}

// Codes of a list query: the answer of another class, an exception other
// than the library's; an FW_Exception reports its own code with the message.
struct ListCodes
{
    const char *wrongAnswer;
    const char *otherException;
    QString message;
};

// A list query through GetDataListCmd; report(code) files an error record.
template<typename Answer, typename Item, typename Command, typename Report>
bool queryList(const Command &makeCommand, const QString &name, QList<Item> (Answer::*list)() const,
               QList<Item> &out, const ListCodes &codes, const Report &report)
{
    try {
        const GetDataListCmd proto(name, false);
        std::unique_ptr<NECommand> cmd = makeCommand(&proto);
        if (!store()->sendCommand(cmd.get(), true, true) || !cmd->isExecuted())
            return false;
        const std::unique_ptr<Answer> answer = answerOf<Answer>(*cmd);
        if (!answer) {
            report(codes.message, QLatin1String(codes.wrongAnswer));
            return false;
        }
        out = ((*answer).*list)();
        return true;
    } catch (const FW_Exception &e) {
        report(codes.message, e.errorCode());
    } catch (...) {
        report(codes.message, QLatin1String(codes.otherException));
    }
    return false;
}

template<typename Answer, typename Item>
bool dispenserList(int driverID, int dispID, const char *name, QList<Item> (Answer::*list)() const,
                   QList<Item> &out, const ListCodes &codes)
{
    return queryList(
        [&](const ProtoCommand *proto) { return std::unique_ptr<NECommand>(new NEDispCommand(driverID, dispID, proto)); },
        QLatin1String(name), list, out, codes,
        [&](const QString &message, const QString &code) { dispError(driverID, dispID, message, code); });
}

// Runs a driver-level read: an FW_Exception becomes its own record, any
// other exception the given code.
template<typename Operation>
bool guardedDriverRead(int driverID, const QString &message, const char *exceptionCode, Operation operation)
{
    try {
        return operation();
    } catch (const FW_Exception &e) {
        store()->setError(driverID, e.error(), false, AXOCommData::EmitAlways);
    } catch (...) {
        driverError(driverID, message, exceptionCode);
    }
    return false;
}

// The same for a dispenser's operation.
template<typename Operation>
bool guardedDispenserOperation(int driverID, int dispID, const QString &message, const char *exceptionCode,
                               Operation operation)
{
    try {
        return operation();
    } catch (const FW_Exception &e) {
        store()->setDispError(driverID, dispID, e.error(), false, AXOCommData::EmitAlways);
    } catch (...) {
        dispError(driverID, dispID, message, QLatin1String(exceptionCode));
    }
    return false;
}

// The current driver runs its machines in simulation.
bool simulationMode()
{
    DriverSettings settings;
    return AXOCurrentCommData::instance()->getDriverSettings(settings) && settings.simulationMode();
}

} // namespace

// ---------------------------------------------------------------- lists

bool NECmdManager::getDispenserList(int driverID, QList<int> &dispensers)
{
    const ListCodes codes{"TE00423", "TE00422", QStringLiteral("Cannot retrieve dispenser list")};
    return queryList(
        [&](const ProtoCommand *proto) { return std::unique_ptr<NECommand>(new NEDispCommand(driverID, 0, proto)); },
        QStringLiteral("GET_DISP_LIST"), &GetActiveDispAnswer::getDispenserIDs, dispensers, codes,
        [&](const QString &message, const QString &code) { dispError(driverID, 0, message, code); });
}

bool NECmdManager::getMixerList(int driverID, QList<int> &mixers)
{
    const ListCodes codes{"TE00481", "TE00480", QStringLiteral("Cannot retrieve mixer list")};
    return queryList(
        [&](const ProtoCommand *proto) { return std::unique_ptr<NECommand>(new NEMixerCommand(driverID, 0, proto)); },
        QStringLiteral("GET_MIXER_LIST"), &GetActiveDispAnswer::getMixerIDs, mixers, codes,
        [&](const QString &message, const QString &code) {
            store()->setMixerError(driverID, 0, FW_DriverError(message, code), false, AXOCommData::EmitAlways);
        });
}

bool NECmdManager::getCircuitList(int driverID, int dispID, QList<CircuitData> &circuits)
{
    return dispenserList(driverID, dispID, "GET_CIRCUIT_LIST", &GetCircuitListAnswer::circuitDataList, circuits,
                         {"TE00555", "TE00554", QStringLiteral("Cannot retrieve circuit list")});
}

bool NECmdManager::getColorantList(int driverID, int dispID, QList<ColorantsPOSList> &colorants)
{
    return dispenserList(driverID, dispID, "GET_COLORANT_LIST", &GetColorantListAnswer::colorantList, colorants,
                         {"TE00311", "TE00310", QStringLiteral("Cannot retrieve colorant list")});
}

bool NECmdManager::getDeviceList(int driverID, int dispID, QList<DeviceData> &devices)
{
    return dispenserList(driverID, dispID, "GET_DEVICE_LIST", &GetDeviceListAnswer::deviceList, devices,
                         {"TE00497", "TE00496", QStringLiteral("Cannot retrieve device list")});
}

bool NECmdManager::getCanisterLevels(int driverID, int dispID, QList<CanisterData> &canisters)
{
    return dispenserList(driverID, dispID, "GET_CANISTER_LIST", &GetCanisterListAnswer::canisterDataList, canisters,
                         {"TE00309", "TE00308", QStringLiteral("Cannot retrieve levels")});
}

bool NECmdManager::refreshLevels(int driverID, int dispID, bool)
{
    const QString message = QStringLiteral("Cannot retrieve levels");
    try {
        const GetDataListCmd proto(QStringLiteral("GET_CANISTER_LIST"), false);
        NEDispCommand cmd(driverID, dispID, &proto);
        if (!store()->sendCommand(&cmd, true, true) || !cmd.isExecuted())
            return false;
        const std::unique_ptr<GetCanisterListAnswer> answer = answerOf<GetCanisterListAnswer>(cmd);
        if (!answer) {
            dispError(driverID, dispID, message, QStringLiteral("TE00152"));
            return false;
        }
        return storeLevels(driverID, dispID, *answer);
    } catch (const FW_Exception &e) {
        dispError(driverID, dispID, message, e.errorCode());
    } catch (...) {
        dispError(driverID, dispID, message, QStringLiteral("TE00151"));
    }
    return false;
}

bool NECmdManager::storeLevels(int driverID, int dispID, const GetCanisterListAnswer &answer)
{
    FW_Dispenser dispenser = store()->getDispenser(driverID, dispID);
    if (dispenser.machineNumber() != dispID)
        return false; // not in the store's configuration
    if (!answer.updateDispenser(dispenser))
        return true;
    return store()->updateDispenser(driverID, dispenser);
}

// ---------------------------------------------------------------- driver data

bool NECmdManager::getDriverInfo(int driverID, DriverInfo &info)
{
    const QString message = QStringLiteral("Internal error in application info read");
    return guardedDriverRead(driverID, message, "TE00293", [&] {
        NECommand cmd(driverID, kDriver, QStringLiteral("GET_DRIVER_INFO"));
        if (!store()->sendCommand(&cmd, true, true) || !cmd.isDoneSuccessfully()) {
            driverError(driverID, message, "TE00292");
            return false;
        }
        const std::unique_ptr<GetDriverInfoAnswer> answer = cmd.answerAs<GetDriverInfoAnswer>();
        if (!answer) {
            driverError(driverID, message, "TE00291");
            return false;
        }
        info = answer->driverInfo();
        return true;
    });
}

bool NECmdManager::getDriverVersion(int driverID, QVersionNumber &version)
{
    const QString message = QStringLiteral("Internal error in driver version read");
    return guardedDriverRead(driverID, message, "TE00456", [&] {
        NECommand cmd(driverID, kDriver, QStringLiteral("GET_SW_VERSION"));
        if (!store()->sendCommand(&cmd, true, true) || !cmd.isDoneSuccessfully()) {
            driverError(driverID, message, "TE00455");
            return false;
        }
        const std::unique_ptr<GetSwVersionAnswer> answer = cmd.answerAs<GetSwVersionAnswer>();
        if (!answer) {
            driverError(driverID, message, "TE00454");
            return false;
        }
        version = answer->version();
        return true;
    });
}

// ---------------------------------------------------------------- ultrasonic cleaner

bool NECmdManager::getUSSWaterChangeStats(int driverID, int dispID, UssWaterChangeStatus &status)
{
    const QString message = QStringLiteral("Internal error in water change stats read");
    if (!store()->isCommandSupported(driverID, MachineID(dispID, MachineID::Dispenser),
                                     QStringLiteral("GET_USS_W_STATUS"))) {
        dispError(driverID, dispID, QStringLiteral("Unsupported command"), QStringLiteral("TE00487"));
        return false;
    }
    return guardedDispenserOperation(driverID, dispID, message, "TE00490", [&] {
        NEDispCommand cmd(driverID, dispID, QStringLiteral("GET_USS_W_STATUS"));
        if (!store()->sendCommand(&cmd, true, true) || !cmd.isExecuted()) {
            dispError(driverID, dispID, message, QStringLiteral("TE00488"));
            return false;
        }
        if (cmd.hasErrors()) {
            store()->setErrorList(driverID, cmd.machineID(), cmd.errors());
            return false;
        }
        const std::unique_ptr<GetUssWaterStatusAnswer> answer = answerOf<GetUssWaterStatusAnswer>(cmd);
        if (!answer) {
            dispError(driverID, dispID, message, QStringLiteral("TE00489"));
            return false;
        }
        status = answer->ussWaterChangeStatus();
        return true;
    });
}

bool NECmdManager::addUSSWaterChangeStatEvent(int driverID, int dispID)
{
    const QString message = QStringLiteral("Internal error in water change stat events add");
    if (!store()->isCommandSupported(driverID, MachineID(dispID, MachineID::Dispenser),
                                     QStringLiteral("ADD_USS_W_EVENT"))) {
        dispError(driverID, dispID, QStringLiteral("Unsupported command"), QStringLiteral("TE00491"));
        return false;
    }
    return guardedDispenserOperation(driverID, dispID, message, "TE00493", [&] {
        NEDispCommand cmd(driverID, dispID, QStringLiteral("ADD_USS_W_EVENT"));
        if (!store()->sendCommand(&cmd, true, true) || !cmd.isDoneSuccessfully()) {
            dispError(driverID, dispID, message, QStringLiteral("TE00492"));
            return false;
        }
        return true;
    });
}

bool NECmdManager::refreshUSSCleaningState(int driverID, int dispID)
{
    const MachineID dispenser(dispID, MachineID::Dispenser);
    const std::unique_ptr<MachineDriverStatusAnswer> driverStatus =
        store()->currentMachineDriverStatus(driverID, dispenser);
    const DispenserStatusAnswer *status =
        driverStatus ? dynamic_cast<const DispenserStatusAnswer *>(driverStatus->machineStatusAnswer()) : nullptr;
    if (!status || !status->ussCleaning())
        return true;
    // Not while the dispenser runs a process: the queries would wait behind
    // it (in the reactions' thread); the status change at its end brings
    // the next refresh.
    QList<DeviceData> devices;
    if (!store()->dispenserAcceptCommands(driverID, dispID) || !store()->dispenserAcceptProcessCommands(driverID, dispID)
        || !store()->isCommandSupported(driverID, dispenser, QStringLiteral("GET_USS_W_STATUS"))
        || !getDeviceList(driverID, dispID, devices))
        return true;
    for (const DeviceData &device : devices) {
        if (device.deviceType() != DeviceData::UltrasonicCleaner || !device.isEnabled())
            continue;
        UssWaterChangeStatus water;
        if (!getUSSWaterChangeStats(driverID, dispID, water))
            return false;
        const std::unique_ptr<UssWaterChangeStatus> stored = store()->ussWaterChangeStatus(driverID, dispID);
        if (!stored || *stored != water)
            store()->setUssWaterChangeStatus(driverID, dispID, water);
    }
    return true;
}

// ---------------------------------------------------------------- formulas

bool NECmdManager::hasFormulaProgressSupported(NECommand *cmd)
{
    return cmd && cmd->isErogationCommand(true)
        && isFormulaProgressSupported(cmd->driverID(), cmd->targetDispID(), true);
}

bool NECmdManager::isFormulaProgressSupported(int driverID, int dispID, bool deepCheck)
{
    const MachineID dispenser(dispID, MachineID::Dispenser);
    const FW_Version version = store()->fwProgram(driverID, dispenser).version();
    if (!store()->isCommandSupported(driverID, dispenser, QStringLiteral("GET_FORMULA_EXECUTION"))
        || !GetActiveCircuitsCmd::isCircuitProcessSupported(1, version) || simulationMode())
        return false;
    if (!deepCheck)
        return true;

    // A trial formula of every circuit in use: the driver must plan each
    // ingredient with a time.
    QList<CircuitData> circuits;
    if (!getCircuitList(driverID, dispID, circuits))
        return false;
    QList<ChannelIngredient> ingredients;
    for (const CircuitData &circuit : circuits)
        if (circuit.isInUse())
            ingredients.append(ChannelIngredient(circuit.position(), circuit.colorantCode(), 10.0));
    if (ingredients.isEmpty())
        return false;
    FormulaProgress progress;
    if (!getFormulaExecution(driverID, dispID, Formula(ingredients, 0, 3), progress))
        return false;
    for (const FormulaChannel &channel : progress.formulaChannels())
        for (const ChannelIngredient &ingredient : channel.ingredients())
            if (ingredient.timeEstimate() == 0)
                return false;
    return true;
}

bool NECmdManager::getFormulaExecution(int driverID, int dispID, const Formula &formula, FormulaProgress &progress)
{
    const MachineID dispenser(dispID, MachineID::Dispenser);
    if (!store()->isCommandSupported(driverID, dispenser, QStringLiteral("GET_FORMULA_EXECUTION"))) {
        dispError(driverID, dispID, QStringLiteral("Unsupported command"), QStringLiteral("TE00550"));
        return false;
    }
    const QString message = QStringLiteral("Internal error in formula execution command");
    return guardedDispenserOperation(driverID, dispID, message, "TE00553", [&] {
        const GenericFormulaCmd proto(QStringLiteral("GET_FORMULA_EXECUTION"), formula);
        NEDispCommand cmd(driverID, dispID, &proto);
        if (!store()->sendCommand(&cmd, true, true) || !cmd.isExecuted()) {
            dispError(driverID, dispID, message, QStringLiteral("TE00551"));
            return false;
        }
        if (cmd.hasErrors()) {
            store()->setErrorList(driverID, dispenser, cmd.errors());
            return false;
        }
        const std::unique_ptr<GetFormulaExecutionAnswer> answer = answerOf<GetFormulaExecutionAnswer>(cmd);
        if (!answer) {
            dispError(driverID, dispID, QStringLiteral("Internal error in formula execution answer"),
                      QStringLiteral("TE00552"));
            return false;
        }
        progress = answer->formulaProgress();
        return true;
    });
}

bool NECmdManager::getInterruptedFormula(int driverID, int dispID, bool forget, Formula &formula)
{
    const QString message = QStringLiteral("An error occurred during formula recovery");
    return guardedDispenserOperation(driverID, dispID, message, "TE00724", [&] {
        const GetDispensedFormulaCmd proto(1, forget ? 3 : 0);
        NEDispCommand cmd(driverID, dispID, &proto);
        store()->sendCommand(&cmd, true, true);
        const std::unique_ptr<GetDispensedFormulaAnswer> answer = answerOf<GetDispensedFormulaAnswer>(cmd);
        if (!answer) {
            dispError(driverID, dispID, message, QStringLiteral("TE00725"));
            return false;
        }
        Formula remaining = answer->formula();
        remaining.setLevelsManagementPolicy(Formula::SkipLevelsCheck);
        if (remaining.numOfItems() > 0)
            formula = remaining;
        return true;
    });
}

bool NECmdManager::resumeInterruptedFormula(int driverID, int dispID, bool forget)
{
    Formula formula;
    if (!getInterruptedFormula(driverID, dispID, forget, formula))
        return false;
    if (formula.isEmpty())
        return true;
    return guardedDispenserOperation(driverID, dispID, QStringLiteral("An error occurred during formula recovery"),
                                     "TE00337", [&] {
                                         const TintCmd proto(formula);
                                         NEDispCommand cmd(driverID, dispID, &proto);
                                         return store()->sendCommand(&cmd, false, true);
                                     });
}
