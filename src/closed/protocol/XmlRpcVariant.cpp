#include "XmlRpcVariant.h"

#include "BasicCalibrationData.h"
#include "CalibrationData.h"
#include "CircuitGravSettings.h"
#include "DriverSettings.h"
#include "FW_CalibrationProfiles.h"
#include "MachineID.h"

#include <QtCore/QDateTime>
#include <QtCore/QHash>
#include <QtCore/QReadWriteLock>
#include <QtCore/QStringList>

#include <limits>

using XmlRpc::XmlRpcValue;

namespace {

struct WriterRegistry
{
    QReadWriteLock lock;
    QHash<int, XmlRpcVariant::Writer> writers;

    WriterRegistry()
    {
        writers.insert(qMetaTypeId<MachineID>(),
                       [](const QVariant &v) { return v.value<MachineID>().toXmlRpcValue(); });
        add<CalibrationData>();
        add<BasicCalibrationData>();
        add<CircuitGravSettings>();
        add<FW_CalibrationProfiles>();
        add<DriverSettings>();
    }

    template<typename T>
    void add()
    {
        writers.insert(qMetaTypeId<T>(), [](const QVariant &v) { return v.value<T>().toXmlRpcValue(); });
    }
};

WriterRegistry &registry()
{
    static WriterRegistry instance;
    return instance;
}

} // namespace

void XmlRpcVariant::registerWriter(int userType, Writer writer)
{
    WriterRegistry &r = registry();
    QWriteLocker locker(&r.lock);
    r.writers.insert(userType, std::move(writer));
}

XmlRpcValue XmlRpcVariant::toXmlRpc(const QVariant &value, bool *ok)
{
    bool converted = true;
    XmlRpcValue result;
    switch (static_cast<int>(value.type())) {
    case QMetaType::Bool: result = value.toBool(); break;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar: result = value.toInt(); break;
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        // Only what fits the protocol's 32-bit ints.
        const bool isUnsigned = value.type() == QVariant::ULongLong || value.type() == QVariant::UInt
            || static_cast<int>(value.type()) == QMetaType::ULong;
        if (isUnsigned) {
            const qulonglong n = value.toULongLong();
            converted = n <= static_cast<qulonglong>(std::numeric_limits<int>::max());
            if (converted)
                result = static_cast<int>(n);
        } else {
            const qlonglong n = value.toLongLong();
            converted = n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max();
            if (converted)
                result = static_cast<int>(n);
        }
        break;
    }
    case QMetaType::Double:
    case QMetaType::Float: result = value.toDouble(); break;
    case QMetaType::QString: result = value.toString().toStdString(); break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        result = XmlRpcValue(bytes.constData(), bytes.size());
        break;
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        struct tm t = {};
        t.tm_year = dt.date().year() - 1900;
        t.tm_mon = dt.date().month() - 1;
        t.tm_mday = dt.date().day();
        t.tm_hour = dt.time().hour();
        t.tm_min = dt.time().minute();
        t.tm_sec = dt.time().second();
        t.tm_isdst = -1;
        result = XmlRpcValue(t);
        break;
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        result = XmlRpcValue::emptyArray();
        for (int i = 0; converted && i < list.size(); ++i)
            result[i] = toXmlRpc(list.at(i), &converted);
        break;
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        QVariantMap map = value.toMap();
        if (value.type() == QVariant::Hash) {
            const QVariantHash hash = value.toHash();
            map = QVariantMap();
            for (auto it = hash.constBegin(); it != hash.constEnd(); ++it)
                map.insert(it.key(), it.value());
        }
        result = XmlRpcValue::emptyStruct();
        for (auto it = map.constBegin(); converted && it != map.constEnd(); ++it)
            result[it.key().toStdString()] = toXmlRpc(it.value(), &converted);
        break;
    }
    default: {
        WriterRegistry &r = registry();
        QReadLocker locker(&r.lock);
        const auto it = r.writers.constFind(value.userType());
        if (it != r.writers.constEnd())
            result = (*it)(value);
        else
            converted = false;
        break;
    }
    }
    if (!converted)
        result.clear();
    if (ok)
        *ok = converted;
    return result;
}

QVariant XmlRpcVariant::fromXmlRpc(const XmlRpcValue &value)
{
    switch (value.getType()) {
    case XmlRpcValue::TypeInvalid: return QVariant();
    case XmlRpcValue::TypeBoolean: return value.asBool();
    case XmlRpcValue::TypeInt: return value.asInt();
    case XmlRpcValue::TypeDouble: return value.asDouble();
    case XmlRpcValue::TypeString: return QString::fromStdString(value.asString());
    case XmlRpcValue::TypeDateTime: {
        const struct tm &t = value.asTime();
        return QDateTime(QDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday), QTime(t.tm_hour, t.tm_min, t.tm_sec));
    }
    case XmlRpcValue::TypeBase64: {
        const XmlRpcValue::BinaryData &bytes = value.asBinary();
        return QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<int>(bytes.size()));
    }
    case XmlRpcValue::TypeArray: {
        QVariantList list;
        for (const XmlRpcValue &element : value.asArray())
            list.append(fromXmlRpc(element));
        return list;
    }
    case XmlRpcValue::TypeStruct: {
        QVariantMap map;
        for (const auto &member : value.asStruct())
            map.insert(QString::fromStdString(member.first), fromXmlRpc(member.second));
        return map;
    }
    }
    return QVariant();
}
