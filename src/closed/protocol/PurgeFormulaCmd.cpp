#include "PurgeFormulaCmd.h"

#include "TintCmd.h"

PurgeFormulaCmd::PurgeFormulaCmd(const Formula &formula, const FW_Machine *dispenser)
    : ProtoCommand(QStringLiteral("PURGE"), QList<QVariant>{QVariant::fromValue(formula)}, dispenser),
      m_formula(formula)
{
}

qint64 PurgeFormulaCmd::executionTimeEstimate(const FW_Machine *) const
{
    return TintCmd::formulaDosingTime(m_formula);
}

XmlRpc::XmlRpcValue PurgeFormulaCmd::paramsToXmlRpc(bool *ok) const
{
    XmlRpc::XmlRpcValue params = XmlRpc::XmlRpcValue::emptyArray();
    params[0] = m_formula.toXmlRpcValue();
    if (ok)
        *ok = true;
    return params;
}
