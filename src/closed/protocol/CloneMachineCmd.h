#ifndef CLONEMACHINECMD_H
#define CLONEMACHINECMD_H

#include "MachineID.h"
#include "ProtoCommand.h"

//! "CLONE_MACHINE": the driver adds a machine of the source's type with a
//! new number and a copy of the source's configuration (params =
//! [MachineID struct]); CloneMachineAnswer names the new machine.
class AXOCOMM_EXPORT CloneMachineCmd : public ProtoCommand
{
public:
    //! Clones the source machine.
    explicit CloneMachineCmd(const MachineID &source)
        : ProtoCommand(QStringLiteral("CLONE_MACHINE"), QList<QVariant>{QVariant::fromValue(source)}), m_source(source)
    {
    }
    //! The machine cloned.
    MachineID source() const { return m_source; }
    ProtoCommand *clone() const override { return new CloneMachineCmd(*this); }

private:
    MachineID m_source;
};

#endif // CLONEMACHINECMD_H
