#ifndef FIRMWAREFILE_H
#define FIRMWAREFILE_H

#include "AXOCommGlobal.h"
#include "FW_Version.h"
#include "XmlRpcValue.h"

#include <QtCore/QByteArray>
#include <QtCore/QList>
#include <QtCore/QMetaType>
#include <QtCore/QString>

//! A firmware image for one kind of control board, with the version it
//! installs. The boards of a machine sit on an internal bus: the master board
//! at address 1, the pump, valve and scale interface boards at their own
//! addresses; boardAddresses() tells which addresses a board kind drives.
class AXOCOMM_EXPORT FirmwareFile
{
public:
    enum { MasterBoardAddress = 1 };

    FirmwareFile() = default;
    //! An image for a board kind, with the version it installs.
    FirmwareFile(const QString &fileName, int boardID, const FW_Version &version, const QByteArray &image)
        : m_fileName(fileName), m_boardID(boardID), m_version(version), m_image(image)
    {
    }

    //! Name of the file the image came from.
    QString fileName() const { return m_fileName; }
    //! Kind of control board the image is for.
    int boardID() const { return m_boardID; }
    //! The version the image installs.
    FW_Version version() const { return m_version; }
    //! The image bytes.
    QByteArray image() const { return m_image; }
    //! An image for a known board kind with a valid version.
    bool isValid() const;
    //! The addresses this file is written to.
    QList<int> targetAddresses() const { return boardAddresses(m_boardID, true); }

    //! The bus addresses of the boards under a control board of that ID (0:
    //! every slave address in use); with withMaster the master address first.
    static QList<int> boardAddresses(int boardID, bool withMaster);

    //! Equal in every field.
    bool operator==(const FirmwareFile &other) const;
    //! The negation of operator==.
    bool operator!=(const FirmwareFile &other) const { return !(*this == other); }

    //! {"fileName": string, "board": int, "version": FW_Version struct, "image": base64}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static FirmwareFile fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    QString m_fileName;
    int m_boardID = 0;
    FW_Version m_version;
    QByteArray m_image;
};

Q_DECLARE_METATYPE(FirmwareFile)

#endif // FIRMWAREFILE_H
