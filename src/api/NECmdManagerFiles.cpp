// Files of the command API: the driver's database and log files and its
// settings file come back as raw bytes; a statistics database file goes to
// the driver. Failures become error records of the driver in the store.

#include "NECmdManager.h"

#include "AXOCommData.h"
#include "FW_Exception.h"
#include "GetDbFileAnswer.h"
#include "GetDbFileCmd.h"
#include "GetLogsAnswer.h"
#include "GetRemoteDriverSettingsAnswer.h"
#include "NECommand.h"
#include "NECurrDispCommand.h"
#include "NEDispCommand.h"
#include "SetDbFileCmd.h"

#include <QtCore/QFile>

#include <memory>

namespace {

const MachineID kDriver(0, 0);

struct FileCodes
{
    const char *wrongAnswer;
    QString wrongAnswerMessage;
    const char *notRun;
    QString notRunMessage;
    const char *exception;
    QString exceptionMessage;
};

void report(int driverID, const QString &message, const char *code)
{
    AXOCommData::instance()->setError(driverID, FW_DriverError(message, QLatin1String(code)), false,
                                      AXOCommData::EmitAlways);
}

// Runs the command made by makeCommand and copies the file of its answer.
template<typename Answer, typename MakeCommand>
bool fetchFile(int driverID, QByteArray &out, const FileCodes &codes, MakeCommand makeCommand)
{
    try {
        const std::unique_ptr<NECommand> cmd = makeCommand();
        if (!AXOCommData::instance()->sendCommand(cmd.get(), true, true) || !cmd->isDoneSuccessfully()) {
            report(driverID, codes.notRunMessage, codes.notRun);
            return false;
        }
        const std::unique_ptr<Answer> answer = cmd->template answerAs<Answer>();
        if (!answer) {
            report(driverID, codes.wrongAnswerMessage, codes.wrongAnswer);
            return false;
        }
        out = answer->FileReply();
        return true;
    } catch (const FW_Exception &e) {
        AXOCommData::instance()->setError(driverID, e.error(), false, AXOCommData::EmitAlways);
    } catch (...) {
        report(driverID, codes.exceptionMessage, codes.exception);
    }
    return false;
}

} // namespace

bool NECmdManager::getRemoteDriverSettings(int driverID, QByteArray &settings)
{
    const FileCodes codes{"TE00610", QStringLiteral("Get Zolpad driver settings answer error"),
                          "TE00609", QStringLiteral("Get Zolpad command error"),
                          "TE00611", QStringLiteral("Get Zolpad driver settings command error")};
    return fetchFile<GetRemoteDriverSettingsAnswer>(driverID, settings, codes, [&] {
        return std::unique_ptr<NECommand>(new NECommand(driverID, kDriver, QStringLiteral("GET_REMOTE_DRIVER_SETTINGS")));
    });
}

bool NECmdManager::GetDbFile(int driverID, QByteArray &file, QString name)
{
    const FileCodes codes{"TE00596", QStringLiteral("Get db answer error"), "TE00595",
                          QStringLiteral("Get db command error"), "TE00597", QStringLiteral("Get db command error")};
    return fetchFile<GetDbFileAnswer>(driverID, file, codes, [&] {
        const GetDbFileCmd proto(name);
        return std::unique_ptr<NECommand>(new NECurrDispCommand(&proto));
    });
}

bool NECmdManager::GetLogs(int driverID, QByteArray &logs)
{
    const FileCodes codes{"TE00599", QStringLiteral("Get logs answer error"), "TE00598",
                          QStringLiteral("Get log command error"), "TE00600", QStringLiteral("Get logs command error")};
    return fetchFile<GetLogsAnswer>(driverID, logs, codes, [&] {
        return std::unique_ptr<NECommand>(new NECommand(driverID, kDriver, QStringLiteral("GETLOGS")));
    });
}

// A file that cannot be read is reported on the driver it was meant for
// (the store keeps no errors outside a driver's records).
bool NECmdManager::SendStatsDbFile(int driverID, QString path)
{
    AXOCommData *store = AXOCommData::instance();
    const QString message = QStringLiteral("An error occurred during db file send");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report(driverID, message, "TE00663");
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    if (bytes.isEmpty()) {
        report(driverID, message, "TE00664");
        return false;
    }
    try {
        const SetDbFileCmd proto(bytes);
        NEDispCommand cmd(driverID, 0, &proto);
        return store->sendCommand(&cmd, true, true) && cmd.isExecuted() && !cmd.isFailed();
    } catch (const FW_Exception &e) {
        store->setError(driverID, e.error(), false, AXOCommData::EmitAlways);
    } catch (...) {
        report(driverID, QStringLiteral("An error has occurred during command creation"), "TE00665");
    }
    return false;
}
