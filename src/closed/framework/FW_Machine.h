#ifndef FW_MACHINE_H
#define FW_MACHINE_H

#include "AXOCommGlobal.h"
#include "ConfigID.h"
#include "MachineID.h"
#include "MachineModel.h"
#include "XmlRpcValue.h"

#include <QtCore/QList>
#include <QtCore/QString>

#include <memory>

class FW_DriverError;
class FW_Version;

//! The stored configuration of one machine on a driver. The concrete kinds
//! are FW_Dispenser, FW_Mixer and FW_Scale; copies are made with clone().
//! Besides its MachineID a machine carries a unique identifier text (assigned
//! by the driver when the configuration is created; commands compare it), its
//! serial number and model, the revision of its configuration with the ID of
//! the client that saved it, and the addresses of its electronic boards.
class AXOCOMM_EXPORT FW_Machine
{
public:
    virtual ~FW_Machine();

    //! A new copy of the same kind, owned by the caller.
    virtual FW_Machine *clone() const = 0;

    //! The machine's ID.
    MachineID machineID() const { return m_id; }
    //! Its number.
    int machineNumber() const { return m_id.machineNumber; }
    //! Its type bits.
    int machineType() const { return m_id.machineType; }
    //! Sets the number (the type stays the kind's).
    void setMachineNumber(int number) { m_id.machineNumber = number; }

    //! The unique identifier text; empty until the driver assigns one.
    QString identifier() const { return m_identifier; }
    //! Sets the identifier.
    void setIdentifier(const QString &identifier) { m_identifier = identifier; }
    //! The serial number.
    QString serialNumber() const { return m_serialNumber; }
    //! Sets the serial number.
    void setSerialNumber(const QString &serial) { m_serialNumber = serial; }
    //! The model number; may be one this software does not know.
    MachineModel model() const { return static_cast<MachineModel>(m_model); }
    //! Sets the model number.
    void setModel(int model) { m_model = model; }
    //! The model is one this software knows.
    bool hasKnownModel() const { return isKnownModel(m_model); }
    //! Free text given by the user ("Shop front").
    QString name() const { return m_name; }
    //! Sets the name.
    void setName(const QString &name) { m_name = name; }

    //! The client that saved this configuration last.
    QString cid() const { return m_cid; }
    //! Sets that client's ID.
    void setCID(const QString &clientID) { m_cid = clientID; }
    //! Revision of the stored configuration; the driver raises it at every save.
    int revision() const { return m_revision; }
    //! Sets the revision.
    void setRevision(int revision) { m_revision = revision; }
    //! The configuration identity: machine, revision and client.
    ConfigID configID() const { return ConfigID(m_id, m_revision, m_cid); }

    //! Version of the configuration layout this configuration was written in.
    int configVersion() const { return m_configVersion; }
    //! Sets the layout version.
    void setConfigVersion(int version) { m_configVersion = version; }
    //! A firmware reading configuration layout `version` can take this configuration.
    bool acceptsConfigVersion(int version) const;
    //! Firmware and configuration agree on the configuration layout; fills
    //! *error when not. A version that is not valid (unknown firmware) passes.
    bool checkFwConfigVersion(const FW_Version &version, FW_DriverError *error) const;
    //! The firmware speaks at least the protocol version the model needs.
    bool checkFwProtocolVersion(const FW_Version &version, FW_DriverError *error) const;

    //! Addresses of the boards fitted; the model's standard set when none were stored.
    QList<int> boardAddresses() const;
    //! Sets the board addresses (empty: the model's standard set).
    void setBoardAddresses(const QList<int> &addresses) { m_boardAddresses = addresses; }
    //! The model's main control board; -1 for an unknown model.
    int boardID() const { return getBoardIDForModel(model()); }

    //! Same kind and same content.
    bool operator==(const FW_Machine &other) const;
    //! Not operator==().
    bool operator!=(const FW_Machine &other) const { return !(*this == other); }

    //! {"id": MachineID struct, "identifier": string, "serial": string, "model": int,
    //!  "name": string, "cid": string, "revision": int, "configVersion": int,
    //!  "boards": [int]} plus the members of the kind.
    virtual XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! The machine of the kind its "id" type names (1, 2 or 4); null and
    //! *ok false for anything malformed.
    static std::unique_ptr<FW_Machine> fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

    //! Main control board of a model; -1 for an unknown model.
    static int getBoardIDForModel(MachineModel model);
    //! Whether this software knows the model.
    static bool isKnownModel(int model);
    //! "DX-16"; "Model %1" for a model this software does not know.
    static QString modelName(int model);
    //! The MachineID type of a known model's machines; 0 for an unknown model.
    static int machineTypeOfModel(int model);
    //! Oldest firmware protocol version the model works with; 0 for an unknown model.
    static int minProtocolVersionForModel(int model);
    //! Every model this software knows.
    static QList<MachineModel> knownModels();

protected:
    //! A machine of that ID, nothing else set.
    explicit FW_Machine(const MachineID &id);
    //! Copies the common members.
    FW_Machine(const FW_Machine &) = default;
    //! Copies the common members.
    FW_Machine &operator=(const FW_Machine &) = default;

    //! Compares the content; called only for two machines of the same kind.
    virtual bool isEqual(const FW_Machine &other) const;
    //! Reads the common members; false when one is malformed or the type is not `type`.
    bool readCommon(const XmlRpc::XmlRpcValue &value, int type);

private:
    MachineID m_id;
    QString m_identifier;
    QString m_serialNumber;
    int m_model = UnknownModel;
    QString m_name;
    QString m_cid;
    int m_revision = 0;
    int m_configVersion = 1;
    QList<int> m_boardAddresses;
};

#endif // FW_MACHINE_H
