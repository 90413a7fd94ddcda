#ifndef DISPENSERSTATUS_H
#define DISPENSERSTATUS_H

#include "DispenserInfo.h"
#include "MachineStatus.h"

#include <QtCore/QMetaType>

//! The status of a dispenser (or of a scale, which the driver lists with
//! the dispensers) in the driver's list of machines.
class AXOCOMM_EXPORT DispenserStatus : public MachineStatus
{
public:
    //! Position of the can shelf (dispensers that carry one).
    enum ShelfState {
        ShelfUnknown = 0,
        ShelfDown = 1,
        ShelfUp = 2,
        ShelfMoving = 3
    };
    //! Position of the automatic nozzle cap.
    enum AutocapState {
        AutocapUnknown = 0,
        AutocapClosed = 1,
        AutocapOpen = 2,
        AutocapMoving = 3
    };

    DispenserStatus() : MachineStatus(MachineID(0, MachineID::Dispenser)) {}
    //! The status of that machine, all indications unset.
    explicit DispenserStatus(const MachineID &id) : MachineStatus(id) {}

    MachineStatus *clone() const override { return new DispenserStatus(*this); }
    QString statusName() const override { return QStringLiteral("DispenserStatus"); }

    //! Number of circuits the dispenser reports.
    int circuitsCount() const { return m_circuits; }
    //! Sets circuitsCount().
    void setCircuitsCount(int count) { m_circuits = count; }
    //! A dispensing is running.
    bool isDispensing() const { return m_dispensing; }
    //! Sets isDispensing().
    void setDispensing(bool dispensing) { m_dispensing = dispensing; }
    //! A ShelfState.
    int shelfState() const { return m_shelf; }
    //! Sets shelfState().
    void setShelfState(int state) { m_shelf = state; }
    //! An AutocapState.
    int autocapState() const { return m_autocap; }
    //! Sets autocapState().
    void setAutocapState(int state) { m_autocap = state; }
    //! Machine number of the scale the dispenser weighs on; 0 for none.
    int scaleNumber() const { return m_scale; }
    //! Sets scaleNumber().
    void setScaleNumber(int number) { m_scale = number; }
    //! Whether the dispenser weighs on a scale.
    bool hasScale() const { return m_scale > 0; }

    //! A copy of the reported information when it is a dispenser's; an
    //! empty DispenserInfo otherwise (see hasMachineInfo()).
    DispenserInfo dispenserInfo() const;

    //! The machine status members plus {"circuits": int, "dispensing": bool,
    //! "shelf": int, "autocap": int, "scale": int}.
    XmlRpc::XmlRpcValue toXmlRpcValue() const override;
    //! The type of "id" must have bit 1 or 2; *ok false when malformed.
    static DispenserStatus fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

protected:
    bool differsRelevantly(const MachineStatus &other) const override;
    //! A DispenserInfo.
    MachineInfo *readInfo(const XmlRpc::XmlRpcValue &value, bool *ok) const override;

private:
    int m_circuits = 0;
    bool m_dispensing = false;
    int m_shelf = ShelfUnknown;
    int m_autocap = AutocapUnknown;
    int m_scale = 0;
};

Q_DECLARE_METATYPE(DispenserStatus)

#endif // DISPENSERSTATUS_H
