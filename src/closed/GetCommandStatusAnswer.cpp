#include "GetCommandStatusAnswer.h"

bool GetCommandStatusAnswer::decodeData(const XmlRpc::XmlRpcValue &data)
{
    bool ok = false;
    m_status = CmdStatus::fromXmlRpcValue(data, &ok);
    return ok;
}
