#ifndef TINTCMD_H
#define TINTCMD_H

#include "Formula.h"
#include "ProtoCommand.h"

//! "TINT": dispenses a formula (params = [formula struct]). The driver
//! answers with the channels as dosed (TintAnswer).
class AXOCOMM_EXPORT TintCmd : public ProtoCommand
{
public:
    //! "TINT" of that formula; carries a copy of the dispenser when given.
    explicit TintCmd(const Formula &formula, const FW_Machine *dispenser = nullptr);
    //! The same for another dispensing command taking a formula, e.g. "TINT2".
    TintCmd(const QString &name, const Formula &formula, const FW_Machine *dispenser = nullptr);

    //! The formula dispensed.
    Formula formula() const { return m_formula; }

    ProtoCommand *clone() const override { return new TintCmd(*this); }
    //! The formula's dosing time: its channels one after the other, each as
    //! long as its slowest ingredient's estimate; 0 when the formula carries
    //! no estimates.
    qint64 executionTimeEstimate(const FW_Machine *machine) const override;

    //! Dosing time of a formula as executionTimeEstimate computes it.
    static qint64 formulaDosingTime(const Formula &formula);

protected:
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;

private:
    Formula m_formula;
};

#endif // TINTCMD_H
