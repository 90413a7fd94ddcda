#ifndef DELETEMACHINECMD_H
#define DELETEMACHINECMD_H

#include "MachineID.h"
#include "ProtoCommand.h"

//! "DELETE_MACHINE": removes machines from the driver's configuration
//! (params = [[MachineID struct, ...]]).
class AXOCOMM_EXPORT DeleteMachineCmd : public ProtoCommand
{
public:
    //! Removes those machines.
    explicit DeleteMachineCmd(const QList<MachineID> &machines);
    //! The machines to remove.
    QList<MachineID> machineIDs() const { return m_machines; }
    ProtoCommand *clone() const override { return new DeleteMachineCmd(*this); }

    //! The command again from its parameters (one list of MachineID); null
    //! when they are not that.
    static DeleteMachineCmd *fromParameters(const QList<QVariant> &parameters);

protected:
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;

private:
    QList<MachineID> m_machines;
};

#endif // DELETEMACHINECMD_H
