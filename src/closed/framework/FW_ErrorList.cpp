#include "FW_ErrorList.h"

#include <QtCore/QStringList>

bool FW_ErrorList::containsCode(const QString &code) const
{
    for (const FW_Error &error : m_errors)
        if (error.errorCode() == code)
            return true;
    return false;
}

void FW_ErrorList::deleteAllErrorsExcept(FW_Error::ErrorType type)
{
    *this = filterErrorTypes(type);
}

void FW_ErrorList::deleteAllErrorsTypes(FW_Error::ErrorType type)
{
    QList<FW_Error> kept;
    for (const FW_Error &error : m_errors)
        if (error.errorType() != type)
            kept.append(error);
    m_errors = kept;
}

FW_ErrorList FW_ErrorList::filterErrorTypes(FW_Error::ErrorType type) const
{
    FW_ErrorList filtered;
    for (const FW_Error &error : m_errors)
        if (error.errorType() == type)
            filtered.append(error);
    return filtered;
}

QString FW_ErrorList::toText() const
{
    QStringList lines;
    for (const FW_Error &error : m_errors)
        lines.append(error.errorText());
    return lines.join(QLatin1Char('\n'));
}

XmlRpc::XmlRpcValue FW_ErrorList::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value = XmlRpc::XmlRpcValue::emptyArray();
    for (int i = 0; i < m_errors.size(); ++i)
        value[i] = m_errors.at(i).toXmlRpcValue();
    return value;
}

FW_ErrorList FW_ErrorList::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_ErrorList list;
    bool valid = value.getType() == XmlRpc::XmlRpcValue::TypeArray;
    for (int i = 0; valid && i < value.size(); ++i) {
        const FW_Error error = FW_Error::fromXmlRpcValue(value[i], &valid);
        if (valid)
            list.append(error);
    }
    if (ok)
        *ok = valid;
    return valid ? list : FW_ErrorList();
}
