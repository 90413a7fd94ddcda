#ifndef FW_CONFIGURATION_H
#define FW_CONFIGURATION_H

#include "AXOCommGlobal.h"
#include "ConfigID.h"
#include "FW_Dispenser.h"
#include "FW_Machine.h"
#include "FW_Mixer.h"
#include "FW_Scale.h"
#include "MachineID.h"
#include "XmlRpcValue.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>
#include <QtCore/QStringList>

#include <memory>
#include <vector>

class FW_DriverError;

//! The machine configuration of a driver: its dispensers, mixers and scales,
//! in the order the driver lists them. The configuration owns its machines;
//! copies are deep. A type mask selects machines by their MachineID type bits
//! (0 selects all); onlyKnownModels leaves out machines of models this
//! software does not know.
class AXOCOMM_EXPORT FW_Configuration
{
public:
    //! No machines.
    FW_Configuration();
    //! A deep copy.
    FW_Configuration(const FW_Configuration &other);
    //! Takes the other's machines.
    FW_Configuration(FW_Configuration &&other) noexcept;
    //! A deep copy.
    FW_Configuration &operator=(const FW_Configuration &other);
    //! Takes the other's machines.
    FW_Configuration &operator=(FW_Configuration &&other) noexcept;
    ~FW_Configuration();

    //! Removes every machine.
    void clear();
    //! No machines.
    bool isEmpty() const { return m_machines.empty(); }

    //! The number of machines of the mask.
    int numOfMachines(int typeMask = MachineID::AllTypes, bool onlyKnownModels = false) const;
    //! The number of dispensers.
    int numOfDispensers(bool onlyKnownModels = false) const;
    //! The number of mixers.
    int numOfMixers(bool onlyKnownModels = false) const;

    //! The machines themselves; pointers stay valid until the configuration changes.
    QList<FW_Machine *> getMachines(int typeMask = MachineID::AllTypes, bool onlyKnownModels = false);
    //! The same, read-only.
    QList<const FW_Machine *> getMachines(int typeMask = MachineID::AllTypes, bool onlyKnownModels = false) const;
    //! The machines of the mask, in order.
    QList<MachineID> getMachinesID(int typeMask = MachineID::AllTypes, bool onlyKnownModels = false) const;
    //! The first machine of the mask; MachineID() when there is none.
    MachineID getFirstMachineID(int typeMask = MachineID::AllTypes) const;
    //! The machine; null when there is none.
    const FW_Machine *getMachineByMachineID(const MachineID &id) const;
    //! The same, writable.
    FW_Machine *getMachineByMachineID(const MachineID &id);
    //! Whether there is such a machine.
    bool existsMachineID(const MachineID &id) const { return getMachineByMachineID(id) != nullptr; }
    //! A machine with the same MachineID (or, with byIdentifier, the same non-empty identifier).
    bool existMachine(const FW_Machine &machine, bool byIdentifier) const;

    //! Dispenser {number, 1}; null when there is none.
    const FW_Dispenser *getDispenserById(int number) const;
    //! The same, writable.
    FW_Dispenser *getDispenserById(int number);
    //! Whether there is such a dispenser.
    bool existDispenserById(int number) const { return getDispenserById(number) != nullptr; }
    //! existMachine() for a dispenser.
    bool existDispenser(const FW_Dispenser &dispenser, bool byIdentifier) const;
    //! Dispenser numbers in configuration order.
    QList<int> getDispensersIDList(bool onlyKnownModels = false) const;
    //! Mixer {number, 4}; null when there is none.
    const FW_Mixer *getMixerById(int number) const;
    //! The same, writable.
    FW_Mixer *getMixerById(int number);
    //! Mixer numbers in configuration order.
    QList<int> getMixersIDList(bool onlyKnownModels = false) const;
    //! Scale {number, 2}; null when there is none.
    const FW_Scale *getScaleById(int number) const;

    //! Appends a copy; false when the number is below 1 or the MachineID is taken.
    bool addMachine(const FW_Machine &machine);
    //! Replaces the machine of the same MachineID by a copy; false when there is none.
    bool replaceMachine(const FW_Machine &machine);
    //! Removes the machine; false when there is none.
    bool removeMachineByMachineID(const MachineID &id);
    //! addMachine() for a dispenser.
    bool addDispenser(const FW_Dispenser &dispenser) { return addMachine(dispenser); }
    //! replaceMachine() for a dispenser.
    bool replaceDispenser(const FW_Dispenser &dispenser) { return replaceMachine(dispenser); }
    //! Replaces dispenser `number` by a copy of `dispenser` that keeps that number.
    bool replaceDispenserById(int number, const FW_Dispenser &dispenser);

    //! Each machine's configuration identity, in order.
    QList<ConfigID> getConfigIDList() const;
    //! "Dispenser 3 (Model 57)" for each machine of a model this software does not know.
    QStringList unknownModelMachines() const;

    //! Whether a client holding `old` must reload: machines were added or
    //! removed, or a machine's revision changed by a save of another client
    //! (a save stamped with clientID is the client's own and needs no reload).
    static bool configurationChanged(const QList<ConfigID> &old, const QList<ConfigID> &current,
                                     const QString &clientID);
    //! Whether the configuration can be used; fills *error (code TE900xx) when not.
    static bool isValid(const FW_Configuration &configuration, FW_DriverError *error);

    //! The same machines in the same order.
    bool operator==(const FW_Configuration &other) const;
    //! Not operator==().
    bool operator!=(const FW_Configuration &other) const { return !(*this == other); }

    //! {"machines": [machine struct]}. Reading keeps the driver's order and
    //! even repeated MachineIDs (isValid reports them); a malformed machine
    //! rejects the whole value.
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! The configuration of such a struct; *ok false when it is not one.
    static FW_Configuration fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int indexOf(const MachineID &id) const;

    std::vector<std::unique_ptr<FW_Machine>> m_machines;
};

Q_DECLARE_METATYPE(FW_Configuration)

#endif // FW_CONFIGURATION_H
