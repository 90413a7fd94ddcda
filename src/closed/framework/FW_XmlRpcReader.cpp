#include "FW_XmlRpcReader.h"

#include <cmath>

using XmlRpc::XmlRpcValue;

FW_XmlRpcReader::FW_XmlRpcReader(const XmlRpcValue &value)
    : m_value(value), m_ok(value.getType() == XmlRpcValue::TypeStruct)
{
}

bool FW_XmlRpcReader::require(bool condition)
{
    if (!condition)
        m_ok = false;
    return condition;
}

const XmlRpcValue *FW_XmlRpcReader::find(const char *name, bool required)
{
    if (m_value.getType() != XmlRpcValue::TypeStruct || !m_value.hasMember(name)) {
        if (required)
            m_ok = false;
        return nullptr;
    }
    return &m_value[name];
}

int FW_XmlRpcReader::toInt(const char *name)
{
    const XmlRpcValue *v = find(name, true);
    return v && require(v->getType() == XmlRpcValue::TypeInt) ? v->asInt() : 0;
}

int FW_XmlRpcReader::toInt(const char *name, int defaultValue)
{
    const XmlRpcValue *v = find(name, false);
    if (!v)
        return defaultValue;
    return require(v->getType() == XmlRpcValue::TypeInt) ? v->asInt() : defaultValue;
}

qint64 FW_XmlRpcReader::toInt64(const char *name, qint64 defaultValue)
{
    const XmlRpcValue *v = find(name, false);
    if (!v)
        return defaultValue;
    if (v->getType() == XmlRpcValue::TypeInt)
        return v->asInt();
    // Whole numbers up to 2^53 are exact in a double.
    const bool whole = v->getType() == XmlRpcValue::TypeDouble && std::isfinite(v->asDouble())
        && std::trunc(v->asDouble()) == v->asDouble() && std::fabs(v->asDouble()) <= 9007199254740992.0;
    return require(whole) ? static_cast<qint64>(v->asDouble()) : defaultValue;
}

double FW_XmlRpcReader::toDouble(const char *name)
{
    if (!find(name, true))
        return 0.0;
    return toDouble(name, 0.0);
}

double FW_XmlRpcReader::toDouble(const char *name, double defaultValue)
{
    const XmlRpcValue *v = find(name, false);
    if (!v)
        return defaultValue;
    if (v->getType() == XmlRpcValue::TypeInt)
        return v->asInt();
    return require(v->getType() == XmlRpcValue::TypeDouble && std::isfinite(v->asDouble())) ? v->asDouble()
                                                                                           : defaultValue;
}

bool FW_XmlRpcReader::toBool(const char *name, bool defaultValue)
{
    const XmlRpcValue *v = find(name, false);
    if (!v)
        return defaultValue;
    return require(v->getType() == XmlRpcValue::TypeBoolean) ? v->asBool() : defaultValue;
}

QString FW_XmlRpcReader::toString(const char *name)
{
    if (!find(name, true))
        return QString();
    return toString(name, QString());
}

QString FW_XmlRpcReader::toString(const char *name, const QString &defaultValue)
{
    const XmlRpcValue *v = find(name, false);
    if (!v)
        return defaultValue;
    return require(v->getType() == XmlRpcValue::TypeString) ? QString::fromStdString(v->asString()) : defaultValue;
}

const XmlRpcValue &FW_XmlRpcReader::array(const char *name)
{
    const XmlRpcValue *v = find(name, true);
    return v && require(v->getType() == XmlRpcValue::TypeArray) ? *v : emptyArray();
}

const XmlRpcValue &FW_XmlRpcReader::optionalArray(const char *name)
{
    const XmlRpcValue *v = find(name, false);
    if (!v)
        return emptyArray();
    return require(v->getType() == XmlRpcValue::TypeArray) ? *v : emptyArray();
}

const XmlRpcValue &FW_XmlRpcReader::member(const char *name)
{
    static const XmlRpcValue invalid;
    const XmlRpcValue *v = find(name, true);
    return v ? *v : invalid;
}

const XmlRpcValue &FW_XmlRpcReader::emptyArray()
{
    static const XmlRpcValue empty = [] {
        XmlRpcValue v;
        v.setSize(0);
        return v;
    }();
    return empty;
}
