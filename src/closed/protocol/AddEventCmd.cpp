#include "AddEventCmd.h"

namespace {

QVariantList variants(const QList<RefillStatData> &events)
{
    QVariantList list;
    for (const RefillStatData &event : events)
        list.append(QVariant::fromValue(event));
    return list;
}

} // namespace

AddEventCmd::AddEventCmd(const QList<RefillStatData> &events)
    : ProtoCommand(QStringLiteral("ADD_EVENT"), QList<QVariant>{QVariant(variants(events))}), m_events(events)
{
}

AddEventCmd *AddEventCmd::fromParameters(const QList<QVariant> &parameters)
{
    if (parameters.size() != 1 || parameters.first().type() != QVariant::List)
        return nullptr;
    QList<RefillStatData> events;
    for (const QVariant &item : parameters.first().toList()) {
        if (item.userType() != qMetaTypeId<RefillStatData>())
            return nullptr;
        events.append(item.value<RefillStatData>());
    }
    return new AddEventCmd(events);
}

XmlRpc::XmlRpcValue AddEventCmd::paramsToXmlRpc(bool *ok) const
{
    XmlRpc::XmlRpcValue list = XmlRpc::XmlRpcValue::emptyArray();
    for (int i = 0; i < m_events.size(); ++i)
        list[i] = m_events.at(i).toXmlRpcValue();
    XmlRpc::XmlRpcValue params = XmlRpc::XmlRpcValue::emptyArray();
    params[0] = list;
    if (ok)
        *ok = true;
    return params;
}
