#ifndef GENERICFORMULACMD_H
#define GENERICFORMULACMD_H

#include "Formula.h"
#include "ProtoCommand.h"

//! A command whose one parameter is a formula that the driver examines
//! without dispensing it, e.g. "GET_FORMULA_EXECUTION"
//! (params = [formula struct]).
class AXOCOMM_EXPORT GenericFormulaCmd : public ProtoCommand
{
public:
    //! The command of that name with the formula as its parameter.
    GenericFormulaCmd(const QString &name, const Formula &formula);

    //! The formula examined.
    Formula formula() const { return m_formula; }
    ProtoCommand *clone() const override { return new GenericFormulaCmd(*this); }

protected:
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;

private:
    Formula m_formula;
};

#endif // GENERICFORMULACMD_H
