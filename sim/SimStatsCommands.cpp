#include "SimCommandGroup.h"

#include "AddEventCmd.h"
#include "ExecQStatsAnswer.h"
#include "ExecQStatsCmd.h"
#include "GetColorantUsageStatsAnswer.h"
#include "GravTrainStatusAnswer.h"
#include "ProtoAnswer.h"
#include "ProtoCommandList.h"
#include "QAESEncryption.h"
#include "SimDriverModel.h"

#include <cstring>

// The commands of statistics: the encrypted statistics query, colorant
// usage, refill events and the gravimetric training status, answered from
// the model's statistics tables (SimStatsTable).

using XmlRpc::XmlRpcValue;

namespace {

XmlRpcValue invalid(const SimCall &call)
{
    return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::InvalidParams, call.command);
}

QByteArray statsKey()
{
    return QByteArray(ExecQStatsCmd::Key, static_cast<int>(std::strlen(ExecQStatsCmd::Key)));
}

QByteArray bytes(const XmlRpcValue &value)
{
    const XmlRpcValue::BinaryData &data = value.asBinary();
    return QByteArray(reinterpret_cast<const char *>(data.data()), static_cast<int>(data.size()));
}

// EXECQ [query]: the query decrypted (its last block completed with zero
// bytes), run on the tables, the reply encrypted back.
XmlRpcValue execQuery(const SimCall &call)
{
    if (call.params.size() != 1 || call.params[0].getType() != XmlRpcValue::TypeBase64)
        return invalid(call);
    const QByteArray plain = QAESEncryption::removePadding(
        QAESEncryption::decrypt(QAESEncryption::AES_128, QAESEncryption::ECB, bytes(call.params[0]), statsKey()),
        QAESEncryption::ZERO);
    const QByteArray text(plain.constData()); // up to the first zero byte
    QString reply;
    QString error;
    if (text.isEmpty() || !call.model.stats().query(QString::fromUtf8(text), &reply, &error))
        return invalid(call);
    const QByteArray encrypted = QAESEncryption::encrypt(QAESEncryption::AES_128, QAESEncryption::ECB,
                                                         reply.toUtf8(), statsKey(), QByteArray(),
                                                         QAESEncryption::ZERO);
    return ExecQStatsAnswer(encrypted).toXmlRpcValue();
}

bool isString(const XmlRpcValue &value)
{
    return value.getType() == XmlRpcValue::TypeString;
}

bool isInt(const XmlRpcValue &value)
{
    return value.getType() == XmlRpcValue::TypeInt;
}

// GET_COL_USAGE_STATS [{serial, by, value, colorants, limit}].
XmlRpcValue colorantUsage(const SimCall &call)
{
    if (call.params.size() != 1 || call.params[0].getType() != XmlRpcValue::TypeStruct)
        return invalid(call);
    const XmlRpcValue &request = call.params[0];
    for (const char *member : {"serial", "by", "value", "colorants", "limit"}) {
        if (!request.hasMember(member))
            return invalid(call);
    }
    const XmlRpcValue &value = request["value"];
    const XmlRpcValue &list = request["colorants"];
    if (!isString(request["serial"]) || !isString(request["by"]) || !isInt(request["limit"])
        || request["limit"].asInt() < 0 || list.getType() != XmlRpcValue::TypeArray)
        return invalid(call);
    const QString by = QString::fromStdString(request["by"].asString());
    const bool byColorant = by == QLatin1String("colorant");
    if (byColorant ? !isString(value) || value.asString().empty()
                   : !isInt(value) || (by == QLatin1String("canister") && value.asInt() < 1)
                         || (by == QLatin1String("position") && value.asInt() < 0)
                         || (by != QLatin1String("canister") && by != QLatin1String("position")))
        return invalid(call);
    QStringList colorants;
    for (int i = 0; i < list.size(); ++i) {
        if (!isString(list[i]))
            return invalid(call);
        colorants.append(QString::fromStdString(list[i].asString()));
    }
    SimStatsTable &stats = call.model.stats();
    const int dispenser = stats.dispenserBySerial(QString::fromStdString(request["serial"].asString()));
    if (dispenser == 0)
        return SimDriverModel::failure(ProtoAnswer::RC_INVALID_PARAMS, SimDriverModel::UnknownMachine);
    const QString colorant = byColorant ? QString::fromStdString(value.asString()) : QString();
    return GetColorantUsageStatsAnswer(stats.usage(dispenser, by, colorant, byColorant ? 0 : value.asInt(), colorants,
                                                   request["limit"].asInt()))
        .toXmlRpcValue();
}

// ADD_EVENT [[refill, ...]]: at least one, each on a circuit of the dispenser.
XmlRpcValue addEvents(const SimCall &call)
{
    if (call.params.size() != 1 || call.params[0].getType() != XmlRpcValue::TypeArray || call.params[0].size() == 0)
        return invalid(call);
    SimStatsTable &stats = call.model.stats();
    QList<RefillStatData> refills;
    for (int i = 0; i < call.params[0].size(); ++i) {
        bool ok = false;
        const RefillStatData refill = RefillStatData::fromXmlRpcValue(call.params[0][i], &ok);
        if (!ok || !stats.hasCircuit(call.machine.machineNumber, refill.position()))
            return invalid(call);
        refills.append(refill);
    }
    stats.addRefills(call.machine.machineNumber, refills);
    return XmlRpcAnswer::makeResult(ProtoAnswer::RC_OK, FW_ErrorList(), XmlRpcValue::emptyStruct());
}

// GRAV_TRAINING_STATUS [position]: 0 the dispenser, else one of its circuits.
XmlRpcValue trainingStatus(const SimCall &call)
{
    if (call.params.size() != 1 || !isInt(call.params[0]) || call.params[0].asInt() < 0)
        return invalid(call);
    const int position = call.params[0].asInt();
    SimStatsTable &stats = call.model.stats();
    if (position > 0 && !stats.hasCircuit(call.machine.machineNumber, position))
        return invalid(call);
    return GravTrainStatusAnswer(stats.training(call.machine.machineNumber)).toXmlRpcValue();
}

} // namespace

QStringList simStatsCommandNames()
{
    return QStringList{QStringLiteral("EXECQ"), QStringLiteral("GET_COL_USAGE_STATS"), QStringLiteral("ADD_EVENT"),
                       QStringLiteral("GRAV_TRAINING_STATUS")};
}

bool simServeStatsCommand(const SimCall &call, XmlRpc::XmlRpcValue *result)
{
    switch (call.identifier) {
    case ProtoCommandList::EXECQ: *result = execQuery(call); return true;
    case ProtoCommandList::GET_COL_USAGE_STATS: *result = colorantUsage(call); return true;
    case ProtoCommandList::ADD_EVENT: *result = addEvents(call); return true;
    case ProtoCommandList::GRAV_TRAINING_STATUS: *result = trainingStatus(call); return true;
    default: return false;
    }
}
