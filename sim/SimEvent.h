#ifndef SIMEVENT_H
#define SIMEVENT_H

#include "FW_Configuration.h"
#include "FW_Error.h"
#include "FW_Version.h"
#include "MachineID.h"

#include <QtCore/QJsonObject>
#include <QtCore/QString>

class SimJsonReader;

//! One change of the simulated machines, as a scenario's event list, the
//! control command of axodriver-sim and tests make it: an error raised or
//! cleared, a machine taken out of service or back, its port lost or found
//! again, a mixer door opened or closed, a canister level set, a firmware
//! version or a sensor reading changed (docs/simulator.md, "Events").
//!
//! An event names its machine by number; the type is needed only when two
//! machines of the driver share the number (machine().machineType 0 means
//! "the one machine with that number"). target() finds the machine in a
//! configuration and checks that the event fits it.
class SimEvent
{
public:
    enum Kind {
        None,
        RaiseError,   //!< adds error() (replacing one of the same code)
        ClearErrors,  //!< removes the errors of code(), or all when it is empty
        SetActive,    //!< in service (flag) or out of service
        SetConnected, //!< the driver reaches the machine's port (flag) or lost it
        SetDoor,      //!< mixers: door open (flag) or closed
        SetLevel,     //!< dispensers: canister level of position(), value() cc
        SetFirmware,  //!< the firmware's application version (major.minor.build)
        SetSensor,    //!< dispensers: sensor reading text() ("humidity", "temperature", "can") := value()
        Reconfigure   //!< the machine's configuration is saved anew elsewhere: its revision grows
    };

    SimEvent() = default;

    static SimEvent raiseError(const MachineID &machine, const FW_Error &error);
    static SimEvent clearErrors(const MachineID &machine, const QString &code = QString());
    static SimEvent setActive(const MachineID &machine, bool active);
    static SimEvent setConnected(const MachineID &machine, bool connected);
    static SimEvent setDoor(const MachineID &machine, bool open);
    static SimEvent setLevel(const MachineID &dispenser, int position, double cc);
    static SimEvent setFirmware(const MachineID &machine, const FW_Version &version);
    static SimEvent setSensor(const MachineID &dispenser, const QString &sensor, double value);
    static SimEvent reconfigure(const MachineID &machine);

    Kind kind() const { return m_kind; }
    bool isValid() const { return m_kind != None; }
    //! Milliseconds after the start of the simulated driver (scripted events).
    int atMs() const { return m_atMs; }
    void setAtMs(int ms) { m_atMs = ms; }
    MachineID machine() const { return m_machine; }
    FW_Error error() const { return m_error; }
    QString code() const { return m_text; }
    QString text() const { return m_text; }
    bool flag() const { return m_flag; }
    int position() const { return m_position; }
    double value() const { return m_value; }
    FW_Version version() const { return m_version; }

    //! "dispenser", "mixer", "scale" for the MachineID types; empty for others.
    static QString machineTypeName(int type);
    //! The MachineID type of such a name; 0 for another text.
    static int machineTypeOfName(const QString &name);
    //! The sensor names of SetSensor; "can" takes 0 (no can) or 1.
    static bool isSensorName(const QString &name);
    //! "3.2.1": an application version with config and protocol 0 (the
    //! machine keeps its own); invalid otherwise.
    static FW_Version parseVersion(const QString &text, bool *ok);
    //! The machine the event concerns; false and *error when the
    //! configuration has no such machine, two of that number, or the event
    //! does not fit the machine (a door of a dispenser, an unknown position).
    bool target(const FW_Configuration &configuration, MachineID *id, QString *error) const;

    //! Reads {"atMs": N, "event": name, "machine": N, ...}; path names it in *error.
    static SimEvent fromJson(const QJsonObject &object, const QString &path, QString *error);
    QJsonObject toJson() const;
    //! "error", "clear", "inactive", "active", "disconnect", "connect", "door",
    //! "level", "fw", "sensor": the names of the JSON form and of the control command.
    QString name() const;

    bool operator==(const SimEvent &other) const;
    bool operator!=(const SimEvent &other) const { return !(*this == other); }

private:
    SimEvent(Kind kind, const MachineID &machine) : m_kind(kind), m_machine(machine) {}
    bool readMembers(SimJsonReader &reader);

    Kind m_kind = None;
    int m_atMs = 0;
    MachineID m_machine;
    FW_Error m_error;
    QString m_text;
    bool m_flag = false;
    int m_position = 0;
    double m_value = 0.0;
    FW_Version m_version;
};

#endif // SIMEVENT_H
