#ifndef SETACTIVEMACHINECMD_H
#define SETACTIVEMACHINECMD_H

#include "MachineID.h"
#include "ProtoCommand.h"

//! "SET_ACTIVE_MACHINE": puts a machine in service (active true) or takes
//! it out (false) (params = [MachineID struct, MachineID struct, bool]).
//! When a machine is put in service, the second machine, if it has a number
//! above 0, is taken out of service in its place.
class AXOCOMM_EXPORT SetActiveMachineCmd : public ProtoCommand
{
public:
    //! Puts the machine in service (active) or out of it, replacing another when activating.
    SetActiveMachineCmd(const MachineID &machine, const MachineID &replaced, bool active)
        : ProtoCommand(QStringLiteral("SET_ACTIVE_MACHINE"),
                       QList<QVariant>{QVariant::fromValue(machine), QVariant::fromValue(replaced), active}),
          m_machine(machine),
          m_replaced(replaced),
          m_active(active)
    {
    }
    //! The machine put in or out of service.
    MachineID machineID() const { return m_machine; }
    //! The machine taken out of service in its place; number 0: none.
    MachineID replacedMachineID() const { return m_replaced; }
    //! Whether the machine is put in service.
    bool isActivation() const { return m_active; }
    ProtoCommand *clone() const override { return new SetActiveMachineCmd(*this); }

private:
    MachineID m_machine;
    MachineID m_replaced;
    bool m_active;
};

#endif // SETACTIVEMACHINECMD_H
