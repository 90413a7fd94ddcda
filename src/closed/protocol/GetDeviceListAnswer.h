#ifndef GETDEVICELISTANSWER_H
#define GETDEVICELISTANSWER_H

#include "DeviceData.h"
#include "ProtoAnswerT.h"

#include <QtCore/QList>

//! The answer to "GET_DEVICE_LIST": the optional devices fitted to the dispenser ({"devices": [DeviceData struct]}).
class AXOCOMM_EXPORT GetDeviceListAnswer : public ValueAnswerT<GetDeviceListAnswer, QList<DeviceData>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "devices";

    using ValueAnswerT::ValueAnswerT;

    //! The devices fitted.
    QList<DeviceData> deviceList() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetDeviceListAnswer"); }
};

#endif // GETDEVICELISTANSWER_H
