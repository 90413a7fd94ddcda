#include "FW_Machine.h"

#include "FW_Dispenser.h"
#include "FW_DriverError.h"
#include "FW_Mixer.h"
#include "FW_Scale.h"
#include "FW_Version.h"
#include "FW_XmlRpcReader.h"
#include "FirmwareFile.h"

#include <typeinfo>

namespace {

struct ModelInfo
{
    MachineModel model;
    const char *name;
    int machineType;
    int boardID;
    int minProtocolVersion;
};

const ModelInfo s_models[] = {
    {ModelDX16, "DX-16", MachineID::Dispenser, 32, 5},
    {ModelDX24, "DX-24", MachineID::Dispenser, 32, 5},
    {ModelDX32, "DX-32", MachineID::Dispenser, 33, 6},
    {ModelTX12, "TX-12", MachineID::Dispenser, 34, 5},
    {ModelGX16, "GX-16", MachineID::Dispenser, 63, 7},
    {ModelMXGyro, "MX-Gyro", MachineID::Mixer, 48, 4},
    {ModelMXShaker, "MX-Shaker", MachineID::Mixer, 48, 4},
    {ModelSC6, "SC-6", MachineID::Scale, 56, 1},
    {ModelSC30, "SC-30", MachineID::Scale, 56, 1},
};

const ModelInfo *findModel(int model)
{
    for (const ModelInfo &info : s_models)
        if (info.model == model)
            return &info;
    return nullptr;
}

} // namespace

FW_Machine::FW_Machine(const MachineID &id) : m_id(id)
{
}

FW_Machine::~FW_Machine() = default;

bool FW_Machine::acceptsConfigVersion(int version) const
{
    // Firmware reads its own layout and the one before it.
    return version == m_configVersion || version == m_configVersion + 1;
}

bool FW_Machine::checkFwConfigVersion(const FW_Version &version, FW_DriverError *error) const
{
    if (!version.isValid() || acceptsConfigVersion(version.configVersion()))
        return true;
    if (error)
        *error = FW_DriverError(QStringLiteral("The configuration of %1 %2 (layout %3) does not match the firmware "
                                               "configuration version %4")
                                    .arg(m_id.typeText())
                                    .arg(m_id.machineNumber)
                                    .arg(m_configVersion)
                                    .arg(version.configVersion()),
                                QStringLiteral("TE90020"));
    return false;
}

bool FW_Machine::checkFwProtocolVersion(const FW_Version &version, FW_DriverError *error) const
{
    const int needed = minProtocolVersionForModel(m_model);
    if (!version.isValid() || version.protocolVersion() >= needed)
        return true;
    if (error)
        *error = FW_DriverError(QStringLiteral("Model %1 needs firmware protocol version %2 or later (firmware has %3)")
                                    .arg(modelName(m_model))
                                    .arg(needed)
                                    .arg(version.protocolVersion()),
                                QStringLiteral("TE90021"));
    return false;
}

QList<int> FW_Machine::boardAddresses() const
{
    if (!m_boardAddresses.isEmpty())
        return m_boardAddresses;
    return FirmwareFile::boardAddresses(boardID(), true);
}

bool FW_Machine::operator==(const FW_Machine &other) const
{
    return typeid(*this) == typeid(other) && isEqual(other);
}

bool FW_Machine::isEqual(const FW_Machine &other) const
{
    return m_id == other.m_id && m_identifier == other.m_identifier && m_serialNumber == other.m_serialNumber
        && m_model == other.m_model && m_name == other.m_name && m_cid == other.m_cid
        && m_revision == other.m_revision && m_configVersion == other.m_configVersion
        && m_boardAddresses == other.m_boardAddresses;
}

XmlRpc::XmlRpcValue FW_Machine::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["id"] = m_id.toXmlRpcValue();
    value["identifier"] = m_identifier.toStdString();
    value["serial"] = m_serialNumber.toStdString();
    value["model"] = m_model;
    value["name"] = m_name.toStdString();
    value["cid"] = m_cid.toStdString();
    value["revision"] = m_revision;
    value["configVersion"] = m_configVersion;
    XmlRpc::XmlRpcValue &boards = value["boards"];
    boards.setSize(0);
    for (int i = 0; i < m_boardAddresses.size(); ++i)
        boards[i] = m_boardAddresses.at(i);
    return value;
}

bool FW_Machine::readCommon(const XmlRpc::XmlRpcValue &value, int type)
{
    FW_XmlRpcReader reader(value);
    bool idOk = false;
    m_id = MachineID::fromXmlRpcValue(reader.member("id"), &idOk);
    reader.require(idOk && m_id.machineNumber >= 0 && m_id.machineType == type);
    m_identifier = reader.toString("identifier");
    m_serialNumber = reader.toString("serial");
    m_model = reader.toInt("model");
    m_name = reader.toString("name", QString());
    m_cid = reader.toString("cid", QString());
    m_revision = reader.toInt("revision", 0);
    m_configVersion = reader.toInt("configVersion", 1);
    m_boardAddresses.clear();
    const XmlRpc::XmlRpcValue &boards = reader.optionalArray("boards");
    for (int i = 0; i < boards.size(); ++i)
        if (reader.require(boards[i].getType() == XmlRpc::XmlRpcValue::TypeInt))
            m_boardAddresses.append(boards[i].asInt());
    reader.require(m_revision >= 0 && m_configVersion >= 1);
    return reader.ok();
}

std::unique_ptr<FW_Machine> FW_Machine::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    std::unique_ptr<FW_Machine> machine;
    bool valid = false;
    bool idOk = false;
    const MachineID id = value.getType() == XmlRpc::XmlRpcValue::TypeStruct && value.hasMember("id")
        ? MachineID::fromXmlRpcValue(value["id"], &idOk)
        : MachineID();
    if (idOk) {
        switch (id.machineType) {
        case MachineID::Dispenser:
            machine.reset(new FW_Dispenser(FW_Dispenser::fromXmlRpcValue(value, &valid)));
            break;
        case MachineID::Mixer:
            machine.reset(new FW_Mixer(FW_Mixer::fromXmlRpcValue(value, &valid)));
            break;
        case MachineID::Scale:
            machine.reset(new FW_Scale(FW_Scale::fromXmlRpcValue(value, &valid)));
            break;
        default:
            break;
        }
    }
    if (!valid)
        machine.reset();
    if (ok)
        *ok = valid;
    return machine;
}

int FW_Machine::getBoardIDForModel(MachineModel model)
{
    const ModelInfo *info = findModel(model);
    return info ? info->boardID : -1;
}

bool FW_Machine::isKnownModel(int model)
{
    return findModel(model) != nullptr;
}

QString FW_Machine::modelName(int model)
{
    const ModelInfo *info = findModel(model);
    return info ? QString::fromLatin1(info->name) : QStringLiteral("Model %1").arg(model);
}

int FW_Machine::machineTypeOfModel(int model)
{
    const ModelInfo *info = findModel(model);
    return info ? info->machineType : 0;
}

int FW_Machine::minProtocolVersionForModel(int model)
{
    const ModelInfo *info = findModel(model);
    return info ? info->minProtocolVersion : 0;
}

QList<MachineModel> FW_Machine::knownModels()
{
    QList<MachineModel> models;
    for (const ModelInfo &info : s_models)
        models.append(info.model);
    return models;
}
