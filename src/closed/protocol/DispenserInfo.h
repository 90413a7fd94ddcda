#ifndef DISPENSERINFO_H
#define DISPENSERINFO_H

#include "MachineInfo.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>

//! The information a dispenser (or a scale, listed with the dispensers)
//! reports of itself: the machine's plus the circuits its boards drive, the
//! scale wired to it and the optional devices fitted (FW_Dispenser kinds).
class AXOCOMM_EXPORT DispenserInfo : public MachineInfo
{
public:
    DispenserInfo() = default;

    MachineInfo *clone() const override { return new DispenserInfo(*this); }

    //! Number of circuits the dispenser's boards drive.
    int circuitsCount() const { return m_circuits; }
    //! Sets circuitsCount().
    void setCircuitsCount(int count) { m_circuits = count; }
    //! Machine number of the scale wired to the dispenser; 0 for none.
    int scaleNumber() const { return m_scale; }
    //! Sets scaleNumber().
    void setScaleNumber(int number) { m_scale = number; }
    //! The FW_Dispenser device kinds the boards detect.
    QList<int> devices() const { return m_devices; }
    //! Sets devices().
    void setDevices(const QList<int> &kinds) { m_devices = kinds; }

    //! The machine's update plus, for a dispenser, the scale it weighs on:
    //! the wired scale is what the driver weighs with, so the configuration
    //! follows it. Devices and circuits are left to the user's configuration.
    bool updateMachineConfiguration(FW_Machine &machine) const override;

    //! The machine information members plus {"circuits": int, "scale": int, "devices": [int]}.
    XmlRpc::XmlRpcValue toXmlRpcValue() const override;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static DispenserInfo fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

protected:
    const char *kind() const override { return "DispenserInfo"; }

private:
    int m_circuits = 0;
    int m_scale = 0;
    QList<int> m_devices;
};

Q_DECLARE_METATYPE(DispenserInfo)

#endif // DISPENSERINFO_H
