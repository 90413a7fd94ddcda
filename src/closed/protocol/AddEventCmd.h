#ifndef ADDEVENTCMD_H
#define ADDEVENTCMD_H

#include "ProtoCommand.h"
#include "RefillStatData.h"

//! "ADD_EVENT": records canister refills in the driver's statistics of the
//! session's dispenser (params = [[refill struct, ...]], at least one).
class AXOCOMM_EXPORT AddEventCmd : public ProtoCommand
{
public:
    //! Records those refills.
    explicit AddEventCmd(const QList<RefillStatData> &events);

    //! The refills to record.
    QList<RefillStatData> events() const { return m_events; }
    ProtoCommand *clone() const override { return new AddEventCmd(*this); }

    //! The command from its parameters (one list of RefillStatData); null
    //! when they are not that.
    static AddEventCmd *fromParameters(const QList<QVariant> &parameters);

protected:
    XmlRpc::XmlRpcValue paramsToXmlRpc(bool *ok) const override;

private:
    QList<RefillStatData> m_events;
};

#endif // ADDEVENTCMD_H
