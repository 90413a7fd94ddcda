#include "DeleteMachineCmd.h"

namespace {

QVariantList variants(const QList<MachineID> &machines)
{
    QVariantList list;
    for (const MachineID &id : machines)
        list.append(QVariant::fromValue(id));
    return list;
}

} // namespace

DeleteMachineCmd::DeleteMachineCmd(const QList<MachineID> &machines)
    : ProtoCommand(QStringLiteral("DELETE_MACHINE"), QList<QVariant>{QVariant(variants(machines))}),
      m_machines(machines)
{
}

DeleteMachineCmd *DeleteMachineCmd::fromParameters(const QList<QVariant> &parameters)
{
    if (parameters.size() != 1 || parameters.first().type() != QVariant::List)
        return nullptr;
    QList<MachineID> machines;
    for (const QVariant &item : parameters.first().toList()) {
        if (item.userType() != qMetaTypeId<MachineID>())
            return nullptr;
        machines.append(item.value<MachineID>());
    }
    return new DeleteMachineCmd(machines);
}

XmlRpc::XmlRpcValue DeleteMachineCmd::paramsToXmlRpc(bool *ok) const
{
    XmlRpc::XmlRpcValue list = XmlRpc::XmlRpcValue::emptyArray();
    for (int i = 0; i < m_machines.size(); ++i)
        list[i] = m_machines.at(i).toXmlRpcValue();
    XmlRpc::XmlRpcValue params = XmlRpc::XmlRpcValue::emptyArray();
    params[0] = list;
    if (ok)
        *ok = true;
    return params;
}
