#ifndef GETQRCODECALIBRATIONCMD_H
#define GETQRCODECALIBRATIONCMD_H

#include "ProtoCommand.h"
#include "QRCodeDensity.h"

//! "GET_QRCODE_CALIB": the dispenser's calibration data as the texts of QR
//! codes of the density asked for (params = [density]).
class AXOCOMM_EXPORT GetQRCodeCalibrationCmd : public ProtoCommand
{
public:
    //! Asks for codes of that density.
    explicit GetQRCodeCalibrationCmd(QRCodeDensity density)
        : ProtoCommand(QStringLiteral("GET_QRCODE_CALIB"), QList<QVariant>{static_cast<int>(density)}),
          m_density(density)
    {
    }
    //! The density asked for.
    QRCodeDensity density() const { return m_density; }
    ProtoCommand *clone() const override { return new GetQRCodeCalibrationCmd(*this); }

private:
    QRCodeDensity m_density;
};

#endif // GETQRCODECALIBRATIONCMD_H
