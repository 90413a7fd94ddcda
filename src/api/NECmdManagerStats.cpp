// Statistics operations of the command API: the encrypted statistics query,
// colorant usage, stat events and the gravimetric training status. Each
// wraps one driver command; failures become error records in the data store.

#include "NECmdManager.h"

#include "AXOCommData.h"
#include "AddEventCmd.h"
#include "ExecQStatsAnswer.h"
#include "ExecQStatsCmd.h"
#include "FW_Dispenser.h"
#include "FW_Exception.h"
#include "GetColorantUsageStatsAnswer.h"
#include "GetColorantUsageStatsCmd.h"
#include "GravTrainStatusAnswer.h"
#include "GravTrainStatusCmd.h"
#include "NECurrDispCommand.h"
#include "NEDispCommand.h"
#include "QAESEncryption.h"
#include "QueryReply.h"

#include <cstring>
#include <memory>

namespace {

// Reports of the operations on the driver's current dispenser: on the driver.
void reportDriver(int driverID, const QString &message, const char *code)
{
    AXOCommData::instance()->setError(driverID, FW_DriverError(message, QLatin1String(code)), false,
                                      AXOCommData::EmitAlways);
}

void reportDispenser(int driverID, int dispID, const QString &message, const char *code)
{
    AXOCommData::instance()->setDispError(driverID, dispID, FW_DriverError(message, QLatin1String(code)), false,
                                          AXOCommData::EmitAlways);
}

// Runs an operation: an FW_Exception becomes its own record, any other
// exception the given report; false then.
template<typename Operation, typename Report>
bool guarded(int driverID, int dispID, Report reportOther, Operation operation)
{
    try {
        return operation();
    } catch (const FW_Exception &e) {
        AXOCommData::instance()->setDispError(driverID, dispID, e.error(), false, AXOCommData::EmitAlways);
    } catch (...) {
        reportOther();
    }
    return false;
}

QByteArray statsKey()
{
    return QByteArray(ExecQStatsCmd::Key, static_cast<int>(std::strlen(ExecQStatsCmd::Key)));
}

} // namespace

bool NECmdManager::ExecQueryStats(int driverID, std::string &query, std::string &reply, QueryReply &parsed)
{
    const QString message = QStringLiteral("Internal error in exec query stats read");
    reply.clear();
    try {
        const QByteArray text(query.c_str(), static_cast<int>(std::strlen(query.c_str())));
        const QByteArray encrypted = QAESEncryption::removePadding(
            QAESEncryption::encrypt(QAESEncryption::AES_128, QAESEncryption::ECB, text, statsKey(), QByteArray(),
                                    QAESEncryption::ZERO),
            QAESEncryption::ZERO);
        const ExecQStatsCmd protoCmd(encrypted);
        NECurrDispCommand cmd(&protoCmd);
        if (!AXOCommData::instance()->sendCommand(&cmd, true, true) || !cmd.isDoneSuccessfully()) {
            reportDriver(driverID, message, "TE00572");
            return false;
        }
        const std::unique_ptr<ExecQStatsAnswer> answer = cmd.answerAs<ExecQStatsAnswer>();
        if (!answer) {
            reportDriver(driverID, message, "TE00573");
            return false;
        }
        const QByteArray decrypted = QAESEncryption::removePadding(
            QAESEncryption::decrypt(QAESEncryption::AES_128, QAESEncryption::ECB, answer->QueryReply(), statsKey(),
                                    QByteArray(), QAESEncryption::ZERO),
            QAESEncryption::ZERO);
        reply.assign(decrypted.constData(), std::strlen(decrypted.constData()));
        parsed = QueryReply(QString::fromStdString(reply));
        return true;
    } catch (const FW_Exception &e) {
        AXOCommData::instance()->setError(driverID, e.error(), false, AXOCommData::EmitAlways);
    } catch (...) {
        reportDriver(driverID, message, "TE00484");
    }
    return false;
}

bool NECmdManager::getColorantsUsageStats(int driverID, FW_Dispenser &dispenser, QList<ColorantUsageDispStats> &out,
                                          QString colorant, int canister, int position, QStringList colorants,
                                          int limit)
{
    const QString message = QStringLiteral("Internal error in colorant usage stats read");
    const int dispID = dispenser.machineNumber();
    const auto other = [&] { reportDispenser(driverID, dispID, message, "TE00722"); };
    return guarded(driverID, dispID, other, [&] {
        const QString serial = dispenser.serialNumber();
        std::unique_ptr<GetColorantUsageStatsCmd> protoCmd;
        if (!colorant.isEmpty())
            protoCmd.reset(new GetColorantUsageStatsCmd(serial, colorant, colorants, limit));
        else if (canister > 0)
            protoCmd.reset(new GetColorantUsageStatsCmd(serial, CanisterColorantUsage(), canister, colorants, limit));
        else
            protoCmd.reset(new GetColorantUsageStatsCmd(serial, PositionColorantUsage(), position, colorants, limit));
        NECurrDispCommand cmd(protoCmd.get());
        AXOCommData *store = AXOCommData::instance();
        if (!store->sendCommand(&cmd, true, true) || !cmd.isExecuted()) {
            reportDispenser(driverID, dispID, message, "TE00482");
            return false;
        }
        // A driver-level command: its errors concern the dispenser asked about.
        store->setErrorList(driverID, MachineID(dispID, MachineID::Dispenser), cmd.errors());
        if (!cmd.isDoneSuccessfully())
            return false;
        const std::unique_ptr<GetColorantUsageStatsAnswer> answer = cmd.answerAs<GetColorantUsageStatsAnswer>();
        if (!answer) {
            reportDispenser(driverID, dispID, message, "TE00483");
            return false;
        }
        out = answer->colorantUsageDispStats();
        return true;
    });
}

bool NECmdManager::addStatEvents(int driverID, int dispID, const QList<RefillStatData> &events)
{
    const QString message = QStringLiteral("Internal error in stat events add");
    const auto other = [&] { reportDispenser(driverID, dispID, message, "TE00479"); };
    return guarded(driverID, dispID, other, [&] {
        const AddEventCmd protoCmd(events);
        NEDispCommand cmd(driverID, dispID, &protoCmd);
        if (!AXOCommData::instance()->sendCommand(&cmd, true, true) || !cmd.isDoneSuccessfully()) {
            reportDispenser(driverID, dispID, message, "TE00478");
            return false;
        }
        return true;
    });
}

bool NECmdManager::GravimetricTrainingStatus(int driverID, int position, QString &status)
{
    const QString message = QStringLiteral("Internal error in gravimetric training status read");
    try {
        const GravTrainStatusCmd protoCmd(position);
        NECurrDispCommand cmd(&protoCmd);
        if (!AXOCommData::instance()->sendCommand(&cmd, true, true) || !cmd.isDoneSuccessfully()) {
            reportDriver(driverID, message, "TE00719");
            return false;
        }
        const std::unique_ptr<GravTrainStatusAnswer> answer = cmd.answerAs<GravTrainStatusAnswer>();
        if (!answer) {
            reportDriver(driverID, message, "TE00720");
            return false;
        }
        status = answer->Status();
        return true;
    } catch (const FW_Exception &e) {
        AXOCommData::instance()->setError(driverID, e.error(), false, AXOCommData::EmitAlways);
    } catch (...) {
        reportDriver(driverID, message, "TE00721");
    }
    return false;
}
