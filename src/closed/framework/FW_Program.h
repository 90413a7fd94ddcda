#ifndef FW_PROGRAM_H
#define FW_PROGRAM_H

#include "AXOCommGlobal.h"
#include "FW_Version.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! The program running on one board of a machine, as the board reports it:
//! its bus address, the program name, the firmware version and whether the
//! board is in its boot loader (waiting for a firmware update) instead of
//! running the application. A machine's master board gives one program, a
//! scan of the bus one program per slave board.
class AXOCOMM_EXPORT FW_Program
{
public:
    FW_Program() = default;
    //! The program a board at that bus address reports.
    FW_Program(int boardAddress, const QString &name, const FW_Version &version, bool bootLoaderActive = false)
        : m_boardAddress(boardAddress), m_name(name), m_version(version), m_bootLoaderActive(bootLoaderActive)
    {
    }

    //! Bus address of the board (the master board is 1).
    int boardAddress() const { return m_boardAddress; }
    //! Program name.
    QString name() const { return m_name; }
    //! Firmware version.
    FW_Version version() const { return m_version; }
    //! Whether the board runs its boot loader instead of the application.
    bool isBootLoaderActive() const { return m_bootLoaderActive; }
    //! Sets isBootLoaderActive().
    void setBootLoaderActive(bool active) { m_bootLoaderActive = active; }

    //! A board answered: an address of at least 1 and either a valid
    //! application version or, when acceptBootLoader, a board in its boot loader.
    bool isValid(bool acceptBootLoader = false) const;

    //! "1: DX main 2.4.117 (config 3, protocol 7)" or "1: boot loader".
    QString toString() const;

    //! Equal in every field.
    bool operator==(const FW_Program &other) const;
    //! The negation of operator==.
    bool operator!=(const FW_Program &other) const { return !(*this == other); }

    //! {"board": int, "name": string, "version": FW_Version struct, "bootLoader": bool}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static FW_Program fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_boardAddress = 0;
    QString m_name;
    FW_Version m_version;
    bool m_bootLoaderActive = false;
};

Q_DECLARE_METATYPE(FW_Program)

#endif // FW_PROGRAM_H
