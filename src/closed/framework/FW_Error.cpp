#include "FW_Error.h"

FW_Error::FW_Error() : m_type(GenericError)
{
}

FW_Error::FW_Error(ErrorType type, const QString &message, const QString &code)
    : m_type(type), m_message(message), m_code(code)
{
}

FW_Error::~FW_Error() = default;

QString FW_Error::errorText() const
{
    return QStringLiteral("%1 - %2").arg(m_code, m_message);
}

bool FW_Error::operator==(const FW_Error &other) const
{
    return m_type == other.m_type && m_code == other.m_code && m_message == other.m_message;
}

XmlRpc::XmlRpcValue FW_Error::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["code"] = m_code.toStdString();
    value["msg"] = m_message.toStdString();
    value["type"] = static_cast<int>(m_type);
    return value;
}

FW_Error FW_Error::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    using XmlRpc::XmlRpcValue;
    bool valid = value.getType() == XmlRpcValue::TypeStruct && value["code"].getType() == XmlRpcValue::TypeString
        && value["msg"].getType() == XmlRpcValue::TypeString;
    ErrorType type = DriverError;
    if (valid && value.hasMember("type")) {
        valid = value["type"].getType() == XmlRpcValue::TypeInt && value["type"].asInt() >= GenericError
            && value["type"].asInt() <= ConfError;
        if (valid)
            type = static_cast<ErrorType>(value["type"].asInt());
    }
    if (ok)
        *ok = valid;
    if (!valid)
        return FW_Error();
    return FW_Error(type, QString::fromStdString(value["msg"].asString()),
                    QString::fromStdString(value["code"].asString()));
}

QString FW_Error::typeName(ErrorType type)
{
    switch (type) {
    case GenericError: return QStringLiteral("Error");
    case DriverError: return QStringLiteral("Driver error");
    case HwError: return QStringLiteral("Hardware error");
    case CmdRefusedError: return QStringLiteral("Command refused");
    case ConfError: return QStringLiteral("Configuration error");
    }
    return QString();
}
