#ifndef SERIALPROTOCOMMAND_H
#define SERIALPROTOCOMMAND_H

#include "ProtoCommand.h"

//! A fixed query that the driver passes to a machine's board on its serial
//! line, known only by its name and sent without parameters (e.g.
//! "GET_SENSORS_STATUS" for a polling thread of its own). Its results decode
//! into the answer class the name maps to.
class AXOCOMM_EXPORT SerialProtoCommand : public ProtoCommand
{
public:
    //! The query of that name, without parameters; carries a copy of the machine when given.
    explicit SerialProtoCommand(const QString &name, const FW_Machine *machine = nullptr);

    ProtoCommand *clone() const override { return new SerialProtoCommand(*this); }

protected:
    //! Always an empty array: the query takes no parameters.
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;
};

#endif // SERIALPROTOCOMMAND_H
