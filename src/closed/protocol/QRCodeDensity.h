#ifndef QRCODEDENSITY_H
#define QRCODEDENSITY_H

//! How much data one QR code of "GET_QRCODE_CALIB" carries: the driver cuts
//! the calibration data into chunks of at most qrCodeCapacity() characters,
//! one chunk per code.
enum QRCodeDensity { QRCodeLow = 0, QRCodeMedium = 1, QRCodeHigh = 2 };

//! Characters per code: 128, 512, 1024; 0 for a value that is no density.
inline int qrCodeCapacity(int density)
{
    switch (density) {
    case QRCodeLow: return 128;
    case QRCodeMedium: return 512;
    case QRCodeHigh: return 1024;
    default: return 0;
    }
}

#endif // QRCODEDENSITY_H
