#ifndef GETDRIVERINFOANSWER_H
#define GETDRIVERINFOANSWER_H

#include "DriverInfo.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_DRIVER_INFO" (the data is the DriverInfo struct).
class AXOCOMM_EXPORT GetDriverInfoAnswer : public ValueAnswerT<GetDriverInfoAnswer, DriverInfo>
{
public:
    //! Null: the data is the value itself.
    static constexpr const char *dataMember = nullptr;

    using ValueAnswerT::ValueAnswerT;

    //! The driver's information.
    DriverInfo driverInfo() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetDriverInfoAnswer"); }
};

#endif // GETDRIVERINFOANSWER_H
