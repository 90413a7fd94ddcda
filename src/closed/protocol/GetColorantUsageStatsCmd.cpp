#include "GetColorantUsageStatsCmd.h"

namespace {

QList<QVariant> parameterList(const QString &serial, GetColorantUsageStatsCmd::Selection selection,
                              const QString &colorant, int number, const QStringList &colorants, int limit)
{
    const QVariant value = selection == GetColorantUsageStatsCmd::ByColorant ? QVariant(colorant) : QVariant(number);
    return QList<QVariant>{serial, GetColorantUsageStatsCmd::selectionName(selection), value, colorants, limit};
}

} // namespace

GetColorantUsageStatsCmd::GetColorantUsageStatsCmd(const QString &serialNumber, Selection selection,
                                                   const QString &colorant, int number, const QStringList &colorants,
                                                   int limit)
    : ProtoCommand(QStringLiteral("GET_COL_USAGE_STATS"),
                   parameterList(serialNumber, selection, colorant, number, colorants, limit)),
      m_serial(serialNumber),
      m_selection(selection),
      m_colorant(colorant),
      m_number(number),
      m_colorants(colorants),
      m_limit(limit)
{
}

GetColorantUsageStatsCmd::GetColorantUsageStatsCmd(const QString &serialNumber, const QString &colorant,
                                                   const QStringList &colorants, int limit)
    : GetColorantUsageStatsCmd(serialNumber, ByColorant, colorant, 0, colorants, limit)
{
}

GetColorantUsageStatsCmd::GetColorantUsageStatsCmd(const QString &serialNumber, CanisterColorantUsage, int canister,
                                                   const QStringList &colorants, int limit)
    : GetColorantUsageStatsCmd(serialNumber, ByCanister, QString(), canister, colorants, limit)
{
}

GetColorantUsageStatsCmd::GetColorantUsageStatsCmd(const QString &serialNumber, PositionColorantUsage, int position,
                                                   const QStringList &colorants, int limit)
    : GetColorantUsageStatsCmd(serialNumber, ByPosition, QString(), position, colorants, limit)
{
}

QString GetColorantUsageStatsCmd::selectionName(Selection selection)
{
    switch (selection) {
    case ByColorant: return QStringLiteral("colorant");
    case ByCanister: return QStringLiteral("canister");
    case ByPosition: return QStringLiteral("position");
    }
    return QString();
}

GetColorantUsageStatsCmd *GetColorantUsageStatsCmd::fromParameters(const QList<QVariant> &parameters)
{
    if (parameters.size() != 5 || parameters.at(0).type() != QVariant::String
        || parameters.at(1).type() != QVariant::String || !parameters.at(3).canConvert<QStringList>()
        || parameters.at(4).type() != QVariant::Int)
        return nullptr;
    const QString serial = parameters.at(0).toString();
    const QString by = parameters.at(1).toString();
    const QVariant &value = parameters.at(2);
    const QStringList colorants = parameters.at(3).toStringList();
    const int limit = parameters.at(4).toInt();
    if (by == selectionName(ByColorant) && value.type() == QVariant::String)
        return new GetColorantUsageStatsCmd(serial, value.toString(), colorants, limit);
    if (value.type() != QVariant::Int)
        return nullptr;
    if (by == selectionName(ByCanister))
        return new GetColorantUsageStatsCmd(serial, CanisterColorantUsage(), value.toInt(), colorants, limit);
    if (by == selectionName(ByPosition))
        return new GetColorantUsageStatsCmd(serial, PositionColorantUsage(), value.toInt(), colorants, limit);
    return nullptr;
}

XmlRpc::XmlRpcValue GetColorantUsageStatsCmd::paramsToXmlRpc(bool *ok) const
{
    XmlRpc::XmlRpcValue request;
    request["serial"] = m_serial.toStdString();
    request["by"] = selectionName(m_selection).toStdString();
    if (m_selection == ByColorant)
        request["value"] = m_colorant.toStdString();
    else
        request["value"] = m_number;
    XmlRpc::XmlRpcValue colorants = XmlRpc::XmlRpcValue::emptyArray();
    for (int i = 0; i < m_colorants.size(); ++i)
        colorants[i] = m_colorants.at(i).toStdString();
    request["colorants"] = colorants;
    request["limit"] = m_limit;
    XmlRpc::XmlRpcValue params = XmlRpc::XmlRpcValue::emptyArray();
    params[0] = request;
    if (ok)
        *ok = true;
    return params;
}
