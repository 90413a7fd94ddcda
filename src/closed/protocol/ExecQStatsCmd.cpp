#include "ExecQStatsCmd.h"

const char ExecQStatsCmd::Key[17] = "AXOStatsQueryKey";

ExecQStatsCmd::ExecQStatsCmd(const QByteArray &encryptedQuery)
    : ProtoCommand(QStringLiteral("EXECQ"), QList<QVariant>{encryptedQuery}), m_query(encryptedQuery)
{
}

ExecQStatsCmd *ExecQStatsCmd::fromParameters(const QList<QVariant> &parameters)
{
    if (parameters.size() != 1 || parameters.first().type() != QVariant::ByteArray)
        return nullptr;
    return new ExecQStatsCmd(parameters.first().toByteArray());
}

XmlRpc::XmlRpcValue ExecQStatsCmd::paramsToXmlRpc(bool *ok) const
{
    XmlRpc::XmlRpcValue params = XmlRpc::XmlRpcValue::emptyArray();
    params[0] = XmlRpc::XmlRpcValue(m_query.constData(), m_query.size());
    if (ok)
        *ok = true;
    return params;
}
