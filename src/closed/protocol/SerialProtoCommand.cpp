#include "SerialProtoCommand.h"

SerialProtoCommand::SerialProtoCommand(const QString &name, const FW_Machine *machine)
    : ProtoCommand(name, QList<QVariant>(), machine)
{
}

XmlRpc::XmlRpcValue SerialProtoCommand::paramsToXmlRpc(bool *ok) const
{
    if (ok)
        *ok = true;
    return XmlRpc::XmlRpcValue::emptyArray();
}
