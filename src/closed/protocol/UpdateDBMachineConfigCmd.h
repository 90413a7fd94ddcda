#ifndef UPDATEDBMACHINECONFIGCMD_H
#define UPDATEDBMACHINECONFIGCMD_H

#include "FW_Configuration.h"
#include "ProtoCommand.h"

#include <memory>

//! "UPDATE_DB_CONFIGURATION": writes a machine's configuration into the
//! driver's database without applying it to the machine (params = [machine
//! struct]); the driver must have the machine.
class AXOCOMM_EXPORT UpdateDBMachineConfigCmd : public ProtoCommand
{
public:
    //! Writes a copy of that machine's configuration.
    explicit UpdateDBMachineConfigCmd(const FW_Machine &machine);
    //! A copy of the machine; null when the command holds none.
    std::unique_ptr<FW_Machine> machine() const;
    ProtoCommand *clone() const override { return new UpdateDBMachineConfigCmd(*this); }

protected:
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;

private:
    FW_Configuration m_holder; // the one machine
};

#endif // UPDATEDBMACHINECONFIGCMD_H
