#ifndef PURGEFORMULACMD_H
#define PURGEFORMULACMD_H

#include "Formula.h"
#include "ProtoCommand.h"

//! "PURGE": doses a formula of purge amounts to clear the nozzles of the
//! listed circuits (params = [formula struct]).
class AXOCOMM_EXPORT PurgeFormulaCmd : public ProtoCommand
{
public:
    //! Purges with that formula; carries a copy of the dispenser when given.
    explicit PurgeFormulaCmd(const Formula &formula, const FW_Machine *dispenser = nullptr);

    //! The purge formula.
    Formula formula() const { return m_formula; }

    ProtoCommand *clone() const override { return new PurgeFormulaCmd(*this); }
    //! The formula's dosing time (TintCmd::formulaDosingTime).
    qint64 executionTimeEstimate(const FW_Machine *machine) const override;

protected:
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;

private:
    Formula m_formula;
};

#endif // PURGEFORMULACMD_H
