#ifndef GETDATALISTCMD_H
#define GETDATALISTCMD_H

#include "ProtoCommand.h"

//! A list query of a dispenser's data or of the driver's machines
//! ("GET_CIRCUIT_LIST", "GET_COLORANT_LIST", "GET_DEVICE_LIST",
//! "GET_CANISTER_LIST", "GET_DISP_LIST", "GET_MIXER_LIST"). With onlyInUse
//! the driver leaves out what is not in use (circuits not enabled, devices
//! disabled); params = [] without it, [true] with it.
class AXOCOMM_EXPORT GetDataListCmd : public ProtoCommand
{
public:
    //! The list query of that name, with or without onlyInUse.
    GetDataListCmd(const QString &name, bool onlyInUse);

    //! Whether what is not in use is left out.
    bool onlyInUse() const { return m_onlyInUse; }
    ProtoCommand *clone() const override { return new GetDataListCmd(*this); }

private:
    bool m_onlyInUse;
};

#endif // GETDATALISTCMD_H
