#include "GenericFormulaCmd.h"

GenericFormulaCmd::GenericFormulaCmd(const QString &name, const Formula &formula)
    : ProtoCommand(name, QList<QVariant>{QVariant::fromValue(formula)}), m_formula(formula)
{
}

XmlRpc::XmlRpcValue GenericFormulaCmd::paramsToXmlRpc(bool *ok) const
{
    XmlRpc::XmlRpcValue params = XmlRpc::XmlRpcValue::emptyArray();
    params[0] = m_formula.toXmlRpcValue();
    if (ok)
        *ok = true;
    return params;
}
