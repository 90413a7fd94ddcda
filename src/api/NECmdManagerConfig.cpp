// Configuration, calibration and firmware operations of the command API:
// each wraps one driver command, checks its answer and stores the result in
// the data store; failures become error records there.

#include "NECmdManager.h"

#include "AXOCommData.h"
#include "AXOCurrentCommData.h"
#include "DeleteMachineCmd.h"
#include "FW_Exception.h"
#include "FW_Machine.h"
#include "FirmwareFile.h"
#include "FirmwareVersionAnswer.h"
#include "GetCalibrationProfilesAnswer.h"
#include "GetCommandListAnswer.h"
#include "GetConfigAnswer.h"
#include "GetConfigCmd.h"
#include "GetDriverSettingsAnswer.h"
#include "NECommand.h"
#include "NEDispCommand.h"
#include "SaveConfigCmd.h"
#include "SaveMachineConfigCmd.h"

#include <memory>

namespace {

const MachineID kDriver(0, 0);

void report(int driverID, const MachineID &machineID, const QString &message, const char *code)
{
    AXOCommData::instance()->setError(driverID, machineID, FW_DriverError(message, QLatin1String(code)), false,
                                      AXOCommData::EmitAlways);
}

void reportException(int driverID, const MachineID &machineID, const FW_Exception &e)
{
    AXOCommData::instance()->setError(driverID, machineID, e.error(), false, AXOCommData::EmitAlways);
}

// Runs an operation: an FW_Exception becomes its own record, any other
// exception the given code and message; false then.
template<typename Operation>
bool guardedOperation(int driverID, const MachineID &machineID, const char *code, const QString &message,
                      Operation operation)
{
    try {
        return operation();
    } catch (const FW_Exception &e) {
        reportException(driverID, machineID, e);
    } catch (...) {
        report(driverID, machineID, message, code);
    }
    return false;
}

// The same, but an FW_Exception is reported with its code and the
// operation's message.
template<typename Operation>
bool guardedWithExceptionCode(int driverID, const MachineID &machineID, const char *code, const QString &message,
                              Operation operation)
{
    try {
        return operation();
    } catch (const FW_Exception &e) {
        AXOCommData::instance()->setError(driverID, machineID, FW_DriverError(message, e.errorCode()), false,
                                          AXOCommData::EmitAlways);
    } catch (...) {
        report(driverID, machineID, message, code);
    }
    return false;
}

// The driver's settings let machine configurations pass without checking
// them against the firmware (simulating driver, or checks switched off).
bool firmwareChecksSkipped()
{
    DriverSettings settings;
    return AXOCurrentCommData::instance()->getDriverSettings(settings)
        && (settings.simulationMode() || settings.skipFwChecks());
}

} // namespace

bool NECmdManager::loadConfiguration(int driverID, bool blocking)
{
    return loadDriverConfiguration(driverID, 0, blocking);
}

bool NECmdManager::loadFactoryConfiguration(int driverID, bool blocking)
{
    return loadDriverConfiguration(driverID, 1, blocking);
}

bool NECmdManager::loadDriverConfiguration(int driverID, int type, bool blocking)
{
    if (!GetConfigCmd::isAValidConfigurationType(type))
        return false;
    const QString creation = QStringLiteral("An error has occurred during command creation");
    return guardedOperation(driverID, kDriver, "TE00225", creation, [&] {
        const GetConfigCmd query(type);
        NECommand cmd(driverID, kDriver, &query);
        AXOCommData *store = AXOCommData::instance();
        if (!blocking)
            return store->sendCommand(&cmd, false, true); // the GET_CONFIG reaction stores it
        if (!store->sendCommand(&cmd, true, true) || !cmd.isDoneSuccessfully())
            return false;
        const std::unique_ptr<GetConfigAnswer> answer = cmd.answerAs<GetConfigAnswer>();
        if (!answer) {
            report(driverID, kDriver, QStringLiteral("Error receiving configuration"), "TE00175");
            return false;
        }
        if (!answer->hasData()) {
            report(driverID, kDriver, QStringLiteral("Error receiving configuration"), "TE00176");
            return false;
        }
        return store->setDriverConfiguration(driverID, type, answer->configuration());
    });
}

bool NECmdManager::loadCalibrationProfiles(int driverID, int dispID)
{
    const MachineID dispenser(dispID, MachineID::Dispenser);
    return guardedOperation(driverID, dispenser, "TE00226", QStringLiteral("An error has occurred during command creation"), [&] {
        NEDispCommand cmd(driverID, dispID, QStringLiteral("GET_CALIB_PROFILES"));
        if (!AXOCommData::instance()->sendCommand(&cmd, true, true) || !cmd.isDoneSuccessfully())
            return false;
        const std::unique_ptr<GetCalibrationProfilesAnswer> answer = cmd.answerAs<GetCalibrationProfilesAnswer>();
        if (!answer) {
            report(driverID, dispenser, QStringLiteral("Error receiving calibration profiles"), "TE00173");
            return false;
        }
        if (!answer->hasData()) {
            report(driverID, dispenser, QStringLiteral("Error receiving calibration profiles"), "TE00172");
            return false;
        }
        return AXOCommData::instance()->setCalibrationProfiles(driverID, answer->calibrationProfiles(), true, true);
    });
}

bool NECmdManager::getDriverSettings(int driverID, DriverSettings &settings)
{
    const QString message = QStringLiteral("Internal error in application settings read");
    return guardedOperation(driverID, kDriver, "TE00163", message, [&] {
        NECommand cmd(driverID, kDriver, QStringLiteral("GET_DRIVER_SETTINGS"));
        if (!AXOCommData::instance()->sendCommand(&cmd, true, true) || !cmd.isDoneSuccessfully()) {
            report(driverID, kDriver, message, "TE00164");
            return false;
        }
        const std::unique_ptr<GetDriverSettingsAnswer> answer = cmd.answerAs<GetDriverSettingsAnswer>();
        if (!answer) {
            report(driverID, kDriver, message, "TE00165");
            return false;
        }
        settings = answer->driverSettings();
        return AXOCommData::instance()->setDriverSettings(driverID, settings);
    });
}

bool NECmdManager::refreshCommandList(int driverID, const MachineID &machineID)
{
    return guardedOperation(driverID, machineID, "TE00040", QStringLiteral("An error occurred in command list retrieving"), [&] {
        NECommand cmd(driverID, machineID, QStringLiteral("GET_CMD_LIST"), QList<QVariant>{true});
        if (!AXOCommData::instance()->sendCommand(&cmd, true, true) || !cmd.isDoneSuccessfully())
            return false;
        const std::unique_ptr<GetCommandListAnswer> answer = cmd.answerAs<GetCommandListAnswer>();
        if (!answer)
            return false;
        const QList<ProtocolCommandInfo> commands = answer->commandList();
        if (!commands.isEmpty())
            AXOCommData::instance()->setCommandList(driverID, machineID, commands);
        return true;
    });
}

namespace {

// The command that reads a machine's master board firmware.
std::unique_ptr<NECommand> masterFirmwareCommand(int driverID, const MachineID &machineID)
{
    const QList<int> boards = FirmwareFile::boardAddresses(0, true);
    return std::unique_ptr<NECommand>(new NECommand(driverID, machineID, QStringLiteral("READ_FW_VERSION"),
                                                    QList<QVariant>{boards.isEmpty() ? 0 : boards.first()}));
}

} // namespace

bool NECmdManager::refreshFirmwareVersion(int driverID, const MachineID &machineID)
{
    const QString message = QStringLiteral("Cannot read firmware version");
    return guardedWithExceptionCode(driverID, machineID, "TE00205", message, [&] {
        // The READ_FW_VERSION reaction stores the program.
        return AXOCommData::instance()->sendCommand(masterFirmwareCommand(driverID, machineID).get(), false, true);
    });
}

bool NECmdManager::getMasterFirmwareVersion(int driverID, const MachineID &machineID, FW_Program &program)
{
    const QString message = QStringLiteral("Cannot read master firmware version");
    return guardedWithExceptionCode(driverID, machineID, "TE00204", message, [&] {
        const std::unique_ptr<NECommand> cmd = masterFirmwareCommand(driverID, machineID);
        if (!AXOCommData::instance()->sendCommand(cmd.get(), true, true) || !cmd->isDoneSuccessfully())
            return false;
        const std::unique_ptr<FirmwareVersionAnswer> answer = cmd->answerAs<FirmwareVersionAnswer>();
        if (!answer)
            return false;
        program = answer->program();
        return true;
    });
}

// ---------------------------------------------------------------- saving

bool NECmdManager::saveConfiguration(int driverID, FW_Configuration &configuration, bool overwrite, bool blocking,
                                     bool notify)
{
    const QString creation = QStringLiteral("An error has occurred during command creation");
    return guardedOperation(driverID, kDriver, "TE00227", creation, [&] {
        AXOCommData *store = AXOCommData::instance();
        for (FW_Machine *machine : configuration.getMachines(MachineID::AllTypes))
            machine->setCID(store->clientID());
        const SaveConfigCmd save(configuration, overwrite, notify);
        NECommand cmd(driverID, kDriver, &save);
        if (!blocking)
            return store->sendCommand(&cmd, false, true); // its reaction stores the configuration
        if (!store->sendCommand(&cmd, true, true) || cmd.isFailed())
            return false;
        return store->setConfiguration(driverID, configuration);
    });
}

bool NECmdManager::saveConfiguration(int driverID, FW_Machine *machine, bool check, bool blocking)
{
    if (!machine)
        return false;
    AXOCommData *store = AXOCommData::instance();
    const MachineID id = machine->machineID();
    if (check && store->isActiveMachine(driverID, id) && !firmwareChecksSkipped()) {
        const FW_Program program = store->fwProgram(driverID, id);
        if (program.isBootLoaderActive() || store->isBootLoaderActive(driverID, id)) {
            store->NEEmitAppMessageSignal(tr("Cannot assign a machine configuration: boot loader is active."), true);
            return false;
        }
        const FW_Version firmware = program.version();
        FW_DriverError error;
        if (firmware.isValid()
            && (!machine->checkFwConfigVersion(firmware, &error) || !machine->checkFwProtocolVersion(firmware, &error))) {
            store->NEEmitAppMessageSignal(error.errorMsg(), true);
            store->setError(driverID, error, false, AXOCommData::EmitAlways);
            return false;
        }
    }
    return saveDriverConfiguration(driverID, machine, check, false, blocking);
}

bool NECmdManager::saveFactoryConfiguration(int driverID, FW_Machine *machine, bool blocking)
{
    return machine && saveDriverConfiguration(driverID, machine, true, true, blocking);
}

bool NECmdManager::saveDriverConfiguration(int driverID, FW_Machine *machine, bool overwrite, bool factory,
                                           bool blocking)
{
    const QString creation = QStringLiteral("An error has occurred during command creation");
    return guardedOperation(driverID, kDriver, "TE00516", creation, [&] {
        AXOCommData *store = AXOCommData::instance();
        machine->setCID(store->clientID());
        const SaveMachineConfigCmd save(*machine, overwrite, factory);
        NEDispCommand cmd(driverID, 0, &save);
        if (!blocking)
            return store->sendCommand(&cmd, false, true); // its reaction stores the machine
        if (!store->sendCommand(&cmd, true, true) || cmd.isFailed())
            return false;
        if (factory)
            return loadDriverConfiguration(driverID, 1, true) && loadDriverConfiguration(driverID, 0, true);
        return store->saveMachine(driverID, machine);
    });
}

bool NECmdManager::deleteConfiguration(int driverID, const MachineID &machineID, bool blocking)
{
    const QString creation = QStringLiteral("An error has occurred during command creation");
    return guardedOperation(driverID, machineID, "TE00052", creation, [&] {
        // Its reaction removes the machine's records.
        const DeleteMachineCmd deletion(QList<MachineID>{machineID});
        NECommand cmd(driverID, machineID, &deletion);
        return AXOCommData::instance()->sendCommand(&cmd, blocking, true);
    });
}
