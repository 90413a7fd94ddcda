#include "TintCmd.h"

TintCmd::TintCmd(const Formula &formula, const FW_Machine *dispenser)
    : TintCmd(QStringLiteral("TINT"), formula, dispenser)
{
}

TintCmd::TintCmd(const QString &name, const Formula &formula, const FW_Machine *dispenser)
    : ProtoCommand(name, QList<QVariant>{QVariant::fromValue(formula)}, dispenser), m_formula(formula)
{
}

qint64 TintCmd::formulaDosingTime(const Formula &formula)
{
    qint64 total = 0;
    for (const FormulaChannel &channel : formula.channels())
        total += channel.duration();
    return total;
}

qint64 TintCmd::executionTimeEstimate(const FW_Machine *) const
{
    return formulaDosingTime(m_formula);
}

XmlRpc::XmlRpcValue TintCmd::paramsToXmlRpc(bool *ok) const
{
    XmlRpc::XmlRpcValue params = XmlRpc::XmlRpcValue::emptyArray();
    params[0] = m_formula.toXmlRpcValue();
    if (ok)
        *ok = true;
    return params;
}
