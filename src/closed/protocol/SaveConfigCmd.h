#ifndef SAVECONFIGCMD_H
#define SAVECONFIGCMD_H

#include "FW_Configuration.h"
#include "ProtoCommand.h"

//! "SAVE_CONFIG": stores a whole configuration in the driver (params =
//! [configuration struct, overwrite, notify]). Overwrite replaces machines
//! the driver has; notify tells the driver's other clients.
class AXOCOMM_EXPORT SaveConfigCmd : public ProtoCommand
{
public:
    //! Stores that configuration, with the overwrite and notify flags.
    SaveConfigCmd(const FW_Configuration &configuration, bool overwrite, bool notify);
    //! The configuration to store.
    FW_Configuration configuration() const { return m_configuration; }
    //! Whether the machines replace the driver's.
    bool overwrite() const { return m_overwrite; }
    //! Whether the driver's other clients are told.
    bool notify() const { return m_notify; }
    ProtoCommand *clone() const override { return new SaveConfigCmd(*this); }

protected:
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;

private:
    FW_Configuration m_configuration;
    bool m_overwrite;
    bool m_notify;
};

#endif // SAVECONFIGCMD_H
