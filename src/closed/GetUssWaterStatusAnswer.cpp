#include "GetUssWaterStatusAnswer.h"

bool GetUssWaterStatusAnswer::decodeData(const XmlRpc::XmlRpcValue &data)
{
    bool ok = false;
    const UssWaterChangeStatus status = UssWaterChangeStatus::fromXmlRpcValue(data, &ok);
    if (ok)
        m_status = status;
    return ok;
}
