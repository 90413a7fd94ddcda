#ifndef SAVEMACHINECONFIGCMD_H
#define SAVEMACHINECONFIGCMD_H

#include "FW_Configuration.h"
#include "ProtoCommand.h"

#include <memory>

//! "SAVE_MACHINE_CONFIG": stores one machine's configuration in the driver
//! (params = [machine struct, overwrite, factory]); with factory it becomes
//! the machine's factory configuration.
class AXOCOMM_EXPORT SaveMachineConfigCmd : public ProtoCommand
{
public:
    //! Stores a copy of that machine's configuration.
    SaveMachineConfigCmd(const FW_Machine &machine, bool overwrite, bool factory);
    //! A copy of the machine; null only for a command rebuilt without one.
    std::unique_ptr<FW_Machine> machine() const;
    //! The overwrite flag sent.
    bool overwrite() const { return m_overwrite; }
    //! Whether it becomes the factory configuration.
    bool isFactory() const { return m_factory; }
    ProtoCommand *clone() const override { return new SaveMachineConfigCmd(*this); }

    //! The command again from its parameters (a configuration holding the
    //! machine, overwrite, factory); null when they are not those.
    static SaveMachineConfigCmd *fromParameters(const QList<QVariant> &parameters);

protected:
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;

private:
    FW_Configuration m_holder; // the one machine
    bool m_overwrite;
    bool m_factory;
};

#endif // SAVEMACHINECONFIGCMD_H
