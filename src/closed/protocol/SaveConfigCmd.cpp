#include "SaveConfigCmd.h"

SaveConfigCmd::SaveConfigCmd(const FW_Configuration &configuration, bool overwrite, bool notify)
    : ProtoCommand(QStringLiteral("SAVE_CONFIG"), QList<QVariant>{QVariant::fromValue(configuration), overwrite, notify}),
      m_configuration(configuration),
      m_overwrite(overwrite),
      m_notify(notify)
{
}

XmlRpc::XmlRpcValue SaveConfigCmd::paramsToXmlRpc(bool *ok) const
{
    XmlRpc::XmlRpcValue params = XmlRpc::XmlRpcValue::emptyArray();
    params[0] = m_configuration.toXmlRpcValue();
    params[1] = m_overwrite;
    params[2] = m_notify;
    if (ok)
        *ok = true;
    return params;
}
