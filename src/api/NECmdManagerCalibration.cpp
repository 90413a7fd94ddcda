// Calibration, settings, configuration edits and timed processes of the
// command API: each wraps one driver command, checks its answer and copies
// the result to the caller or into the data store; failures become error
// records there (one per call at most).

#include "NECmdManager.h"

#include "AXOCommData.h"
#include "AXOCurrentCommData.h"
#include "CalibrationData.h"
#include "CalibrationXmlToDbCmd.h"
#include "CircuitGravSettings.h"
#include "CloneMachineAnswer.h"
#include "CloneMachineCmd.h"
#include "DispensingTestFromXmlToDbCmd.h"
#include "DriverSettings.h"
#include "FW_CalibrationProfiles.h"
#include "FW_Dispenser.h"
#include "FW_Exception.h"
#include "FW_Machine.h"
#include "FW_Program.h"
#include "FirmwareScanAnswer.h"
#include "FirmwareScanCmd.h"
#include "GetCalibrationListAnswer.h"
#include "GetCalibrationListCmd.h"
#include "GetGravSettingsCmd.h"
#include "GetQRCodeCalibrationAnswer.h"
#include "GetQRCodeCalibrationCmd.h"
#include "GetRecalibrationListAnswer.h"
#include "GetRecalibrationListCmd.h"
#include "GravSettingsAnswer.h"
#include "ImportBackupDataToDbCmd.h"
#include "MachineStatusAnswer.h"
#include "NECommand.h"
#include "NEDispCommand.h"
#include "NELogger.h"
#include "SetActiveMachineCmd.h"
#include "SetCalibrationListCmd.h"
#include "SetGravSettingsCmd.h"
#include "SetRecalibrationListCmd.h"
#include "ToggleTemporizedCmd.h"
#include "UpdateDBMachineConfigCmd.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>

#include <functional>
#include <memory>

namespace {

typedef std::function<void(const FW_DriverError &)> Reporter;

const MachineID kDriver(0, 0);

Reporter onDispenser(int driverID, int dispID)
{
    return [=](const FW_DriverError &error) {
        AXOCommData::instance()->setDispError(driverID, dispID, error, false, AXOCommData::EmitAlways);
    };
}

Reporter onMachine(int driverID, const MachineID &machineID)
{
    return [=](const FW_DriverError &error) {
        AXOCommData::instance()->setError(driverID, machineID, error, false, AXOCommData::EmitAlways);
    };
}

Reporter onDriver(int driverID)
{
    return [=](const FW_DriverError &error) {
        AXOCommData::instance()->setError(driverID, error, false, AXOCommData::EmitAlways);
    };
}

Reporter onCurrentMachine()
{
    return [](const FW_DriverError &error) {
        AXOCurrentCommData::instance()->setError(error, false, AXOCommData::EmitAlways);
    };
}

FW_DriverError driverError(const QString &message, const char *code)
{
    return FW_DriverError(message, QLatin1String(code));
}

//! How an FW_Exception is reported: with its own record, or with its code
//! and the operation's message.
enum ExceptionReport { OwnRecord, OwnCode };

// Runs an operation; an exception becomes one record (see ExceptionReport;
// any other exception the code and message) and false.
template<typename Operation>
bool guarded(const Reporter &report, ExceptionReport kind, const char *code, const QString &message,
             Operation operation)
{
    try {
        return operation();
    } catch (const FW_Exception &e) {
        report(kind == OwnRecord ? e.error() : FW_DriverError(message, e.errorCode()));
    } catch (...) {
        report(driverError(message, code));
    }
    return false;
}

bool sendBlocking(NECommand &cmd)
{
    return AXOCommData::instance()->sendCommand(&cmd, true, true);
}

// A blocking command that must run and end with status 0; else the code.
bool sendExpectingDone(NECommand &cmd, const Reporter &report, const QString &message, const char *code)
{
    if (sendBlocking(cmd) && cmd.isDoneSuccessfully())
        return true;
    report(driverError(message, code));
    return false;
}

const QString kCreation = QStringLiteral("An error has occurred during command creation");

} // namespace

// ---------------------------------------------------------------- configuration edits

bool NECmdManager::cloneConfiguration(int driverID, const MachineID &source, MachineID &created, bool flag)
{
    Q_UNUSED(flag); // accepted for callers that pass it; the driver needs nothing more
    const Reporter report = onMachine(driverID, source);
    return guarded(report, OwnRecord, "TE00132", kCreation, [&] {
        const CloneMachineCmd clone(source);
        NECommand cmd(driverID, MachineID(0, source.machineType), &clone);
        if (!sendExpectingDone(cmd, report, QStringLiteral("An error has occurred during command execution"),
                               "TE00245"))
            return false;
        const std::unique_ptr<CloneMachineAnswer> answer = cmd.answerAs<CloneMachineAnswer>();
        if (!answer || !answer->hasData()) {
            report(driverError(QStringLiteral("An error has occurred during answer decoding"), "TE00246"));
            return false;
        }
        created = answer->machineID();
        return true;
    });
}

bool NECmdManager::updateDbConfiguration(int driverID, FW_Machine *machine)
{
    const Reporter report = onDispenser(driverID, 0);
    return guarded(report, OwnRecord, "TE00585", kCreation, [&] {
        if (!machine)
            throw FW_Exception(QStringLiteral("TE00585"), kCreation, QStringLiteral("updateDbConfiguration"));
        const UpdateDBMachineConfigCmd update(*machine);
        NEDispCommand cmd(driverID, 0, &update);
        return AXOCommData::instance()->sendCommand(&cmd, false, true);
    });
}

bool NECmdManager::setActiveMachine(int driverID, const MachineID &machine, const MachineID &replaced, bool active,
                                    bool blocking)
{
    const MachineID addressee(0, machine.machineType);
    return guarded(onCurrentMachine(), OwnRecord, "TE00218", QStringLiteral("Internal error in command execution"),
                   [&] {
                       const SetActiveMachineCmd activation(machine, replaced, active);
                       NECommand cmd(driverID, addressee, &activation);
                       AXOCommData *store = AXOCommData::instance();
                       if (!blocking)
                           return store->sendCommand(&cmd, false, true);
                       if (store->sendCommand(&cmd, true, true) && cmd.isExecuted() && cmd.errors().isEmpty())
                           return true;
                       store->setErrorList(driverID, addressee, cmd.errors());
                       return false;
                   });
}

// ---------------------------------------------------------------- calibration

bool NECmdManager::saveCalibrationProfiles(int driverID, int dispID, const FW_CalibrationProfiles &profiles,
                                           bool customChanged, bool defaultChanged)
{
    const QString message = QStringLiteral("An error occurred while saving calibration profile");
    const Reporter report = onDispenser(driverID, dispID);
    return guarded(report, OwnRecord, "TE00015", message, [&] {
        NEDispCommand cmd(driverID, 0, QStringLiteral("SET_CALIB_PROFILES"),
                          QList<QVariant>{QVariant::fromValue(profiles), customChanged, defaultChanged});
        if (!sendBlocking(cmd) || !cmd.isExecuted()) {
            report(driverError(message, "TE00015"));
            return false;
        }
        return loadCalibrationProfiles(driverID, dispID);
    });
}

namespace {

// GET_CALIB_LIST / GET_RECALIB_LIST: the command's errors replace the
// dispenser's list; the answer's points go to the output.
template<class Answer, class Command, class Item>
bool readPoints(int driverID, int dispID, int circuit, QList<Item> &out, const char *answerCode,
                const char *otherCode, QList<Item> (Answer::*points)() const)
{
    const QString message = QStringLiteral("Cannot retrieve calibration list");
    const Reporter report = onDispenser(driverID, dispID);
    return guarded(report, OwnCode, otherCode, message, [&] {
        const Command query(circuit);
        NEDispCommand cmd(driverID, dispID, &query);
        const bool sent = sendBlocking(cmd);
        AXOCommData::instance()->setErrorList(driverID, MachineID(dispID, MachineID::Dispenser), cmd.errors());
        if (!sent || !cmd.isDoneSuccessfully())
            return false;
        const std::unique_ptr<Answer> answer = cmd.template answerAs<Answer>();
        if (!answer || !answer->hasData()) {
            report(driverError(message, answerCode));
            return false;
        }
        out = ((*answer).*points)();
        return true;
    });
}

// SET_CALIB_LIST / SET_RECALIB_LIST: success is a command without errors.
template<class Command, class Item>
bool writePoints(int driverID, int dispID, const QList<Item> &list, const char *code, const QString &message)
{
    return guarded(onDispenser(driverID, dispID), OwnCode, code, message, [&] {
        const Command write(list);
        NEDispCommand cmd(driverID, dispID, &write);
        return sendBlocking(cmd) && cmd.isExecuted() && cmd.errors().isEmpty();
    });
}

} // namespace

bool NECmdManager::getCalibrationList(int driverID, int dispID, int circuit, QList<CalibrationData> &list)
{
    return readPoints<GetCalibrationListAnswer, GetCalibrationListCmd>(
        driverID, dispID, circuit, list, "TE00504", "TE00503", &GetCalibrationListAnswer::calibrationList);
}

bool NECmdManager::setCalibrationList(int driverID, int dispID, const QList<CalibrationData> &list)
{
    return writePoints<SetCalibrationListCmd>(driverID, dispID, list, "TE00503",
                                              QStringLiteral("Cannot set calibration list"));
}

bool NECmdManager::getRecalibrationList(int driverID, int dispID, int circuit, QList<BasicCalibrationData> &list)
{
    return readPoints<GetRecalibrationListAnswer, GetRecalibrationListCmd>(
        driverID, dispID, circuit, list, "TE00506", "TE00505", &GetRecalibrationListAnswer::recalibrationList);
}

bool NECmdManager::setRecalibrationList(int driverID, int dispID, const QList<BasicCalibrationData> &list)
{
    return writePoints<SetRecalibrationListCmd>(driverID, dispID, list, "TE00507",
                                                QStringLiteral("Cannot set recalibration list"));
}

bool NECmdManager::getQRCodeData(int driverID, int dispID, QRCodeDensity density, QStringList &codes)
{
    const QString message = QStringLiteral("Cannot retrieve QR codes list");
    const Reporter report = onDispenser(driverID, dispID);
    return guarded(report, OwnCode, "TE00501", message, [&] {
        const GetQRCodeCalibrationCmd query(density);
        NEDispCommand cmd(driverID, dispID, &query);
        if (!sendBlocking(cmd) || !cmd.isDoneSuccessfully())
            return false;
        const std::unique_ptr<GetQRCodeCalibrationAnswer> answer = cmd.answerAs<GetQRCodeCalibrationAnswer>();
        if (!answer || !answer->hasData()) {
            report(driverError(message, "TE00502"));
            return false;
        }
        codes = answer->encodedDataList();
        return true;
    });
}

namespace {

// The file imports: sent to the generic dispenser, success when not failed.
bool importToDb(int driverID, const ProtoCommand &import)
{
    return guarded(onDispenser(driverID, 0), OwnRecord, "TE00243", kCreation, [&] {
        NEDispCommand cmd(driverID, 0, &import);
        return sendBlocking(cmd) && !cmd.isFailed();
    });
}

QString targetPath(const QString &directory, const QString &file)
{
    return QDir::toNativeSeparators(directory + QDir::separator() + file);
}

} // namespace

bool NECmdManager::CalibrationXmlToDb(int driverID, QString source, QString directory, QString file)
{
    if (!QFileInfo::exists(source)) {
        NELogger::instance()->debug(QStringLiteral("CalibrationXmlToDb: source XML missing: %1").arg(source));
        return false;
    }
    return importToDb(driverID, CalibrationXmlToDbCmd(QDir::toNativeSeparators(source), targetPath(directory, file)));
}

bool NECmdManager::DispensingTestXmlToDb(int driverID, QString source, QString directory, QString file)
{
    return importToDb(driverID,
                      DispensingTestFromXmlToDbCmd(QDir::toNativeSeparators(source), targetPath(directory, file)));
}

bool NECmdManager::ImportBackupDataToDb(int driverID, QString backup, QString directory, QString file)
{
    return importToDb(driverID, ImportBackupDataToDbCmd(backup, directory, file));
}

// ---------------------------------------------------------------- settings

bool NECmdManager::getGravimetricSettings(int driverID, int dispID, QList<int> circuits,
                                          QList<CircuitGravSettings> &settings)
{
    const QString message = QStringLiteral("Internal error in gravimetric settings command");
    const Reporter report = onDispenser(driverID, dispID);
    return guarded(report, OwnRecord, "TE00461", message, [&] {
        const GetGravSettingsCmd query(circuits);
        NEDispCommand cmd(driverID, dispID, &query);
        if (!sendBlocking(cmd) || !cmd.isExecuted()) {
            report(driverError(message, "TE00457"));
            return false;
        }
        if (!cmd.isDoneSuccessfully()) {
            report(driverError(message, "TE00460"));
            return false;
        }
        const std::unique_ptr<GravSettingsAnswer> answer = cmd.answerAs<GravSettingsAnswer>();
        if (!answer || !answer->hasData()) {
            report(driverError(message, "TE00458"));
            return false;
        }
        settings = answer->circuitsGravSettings();
        return true;
    });
}

bool NECmdManager::setGravimetricSettings(int driverID, FW_Dispenser &dispenser,
                                          const QList<CircuitGravSettings> &settings)
{
    const QString message = QStringLiteral("Internal error in gravimetric settings write");
    const int dispID = dispenser.machineNumber();
    const Reporter report = onDispenser(driverID, dispID);
    return guarded(report, OwnRecord, "TE00462", message, [&] {
        const SetGravSettingsCmd write(settings);
        NEDispCommand cmd(driverID, dispID, &write);
        if (!sendExpectingDone(cmd, report, message, "TE00459"))
            return false;
        dispenser.setGravimetricSettings(settings);
        AXOCurrentCommData::instance()->saveDispenser(dispenser);
        return true;
    });
}

bool NECmdManager::setGravimetricSettings(int driverID, int dispID, const QList<CircuitGravSettings> &settings)
{
    const QString message = QStringLiteral("Internal error in gravimetric settings write");
    const Reporter report = onDispenser(driverID, dispID);
    return guarded(report, OwnRecord, "TE00466", message, [&] {
        const SetGravSettingsCmd write(settings);
        NEDispCommand cmd(driverID, dispID, &write);
        return sendExpectingDone(cmd, report, message, "TE00465");
    });
}

bool NECmdManager::setDriverSettings(int driverID, const DriverSettings &settings)
{
    const QString message = QStringLiteral("Internal error in application settings write");
    const Reporter report = onDriver(driverID);
    return guarded(report, OwnRecord, "TE00209", message, [&] {
        NECommand cmd(driverID, kDriver, QStringLiteral("SET_DRIVER_SETTINGS"),
                      QList<QVariant>{QVariant::fromValue(settings)});
        if (!sendExpectingDone(cmd, report, message, "TE00409"))
            return false;
        return AXOCommData::instance()->setDriverSettings(driverID, settings);
    });
}

bool NECmdManager::setDriverSettings(int driverID, const QHash<QString, QVariant> &values)
{
    const QString message = QStringLiteral("Internal error in application settings write");
    const Reporter report = onDriver(driverID);
    return guarded(report, OwnRecord, "TE00464", message, [&] {
        NECommand cmd(driverID, kDriver, QStringLiteral("SET_DRIVER_SETTINGS"), QList<QVariant>{QVariant(values)});
        return sendExpectingDone(cmd, report, message, "TE00463");
    });
}

// ---------------------------------------------------------------- timed processes, firmware

bool NECmdManager::toggleTemporizedProcesses(int driverID, int dispID, bool disable, int minutes)
{
    const Reporter report = onDispenser(driverID, dispID);
    const QString cannot = QStringLiteral("Cannot %1 timed processes.");
    const std::unique_ptr<MachineStatusAnswer> status =
        AXOCommData::instance()->machineStatus(driverID, MachineID(dispID, MachineID::Dispenser));
    if (!status || !status->acceptWorkingModeChange()) {
        report(driverError(cannot.arg(disable ? QStringLiteral("disable") : QStringLiteral("enable")), "TE00418"));
        return false;
    }
    const QString message = disable ? QStringLiteral("An error occurred while disabling the timed processes.")
                                    : cannot.arg(QStringLiteral("enable"));
    return guarded(report, OwnCode, disable ? "TE00115" : "TE00117", message, [&] {
        const int mask = disable ? ToggleTemporizedCmd::disableAllMovementProcessesMask()
                                 : ToggleTemporizedCmd::defaultProcessMask();
        const ToggleTemporizedCmd toggle(disable, mask, minutes);
        NEDispCommand cmd(driverID, dispID, &toggle);
        return sendExpectingDone(cmd, report, message, disable ? "TE00118" : "TE00119");
    });
}

bool NECmdManager::scanAllFirmwareVersion(int driverID, const MachineID &machineID, QList<FW_Program> &programs)
{
    FW_Program master;
    if (!getMasterFirmwareVersion(driverID, machineID, master))
        return false;
    programs.append(master);
    AXOCurrentCommData *current = AXOCurrentCommData::instance();
    if (current->isBootLoaderActive() || !current->isCommandSupported(QStringLiteral("FW_SCAN")))
        return true;
    const QString message = QStringLiteral("An error occurred in firmware scan command");
    const Reporter report = onCurrentMachine();
    return guarded(report, OwnRecord, "TE00421", message, [&] {
        const FirmwareScanCmd scan;
        NECommand cmd(driverID, machineID, &scan);
        if (!sendBlocking(cmd) || !cmd.isExecuted()) {
            report(driverError(message, "TE00419"));
            return false;
        }
        const std::unique_ptr<FirmwareScanAnswer> answer = cmd.answerAs<FirmwareScanAnswer>();
        if (!answer || !answer->hasData()) {
            report(driverError(QStringLiteral("Internal error in command decoding"), "TE00420"));
            return false;
        }
        programs.append(answer->slaveFwVersions());
        return true;
    });
}
