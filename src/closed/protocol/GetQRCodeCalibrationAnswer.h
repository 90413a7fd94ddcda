#ifndef GETQRCODECALIBRATIONANSWER_H
#define GETQRCODECALIBRATIONANSWER_H

#include "ProtoAnswerT.h"

#include <QtCore/QStringList>

//! The answer to "GET_QRCODE_CALIB": the text of each QR code, in order
//! ({"codes": [string]}).
class AXOCOMM_EXPORT GetQRCodeCalibrationAnswer : public ValueAnswerT<GetQRCodeCalibrationAnswer, QList<QString>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "codes";

    using ValueAnswerT::ValueAnswerT;

    //! The texts of the QR codes, in order.
    QStringList encodedDataList() const { return QStringList(value()); }

    QString answerName() const override { return QStringLiteral("GetQRCodeCalibrationAnswer"); }
};

#endif // GETQRCODECALIBRATIONANSWER_H
