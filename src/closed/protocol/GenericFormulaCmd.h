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
    GenericFormulaCmd(const QString &name, const Formula &formula);

    Formula formula() const { return m_formula; }
    ProtoCommand *clone() const override { return new GenericFormulaCmd(*this); }

protected:
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;

private:
    Formula m_formula;
};

#endif // GENERICFORMULACMD_H
