#include "FirmwareFile.h"

#include "FW_XmlRpcReader.h"

namespace {

struct BoardLayout
{
    int boardID;
    QList<int> slaves;
};

const QList<BoardLayout> &layouts()
{
    static const QList<BoardLayout> list = {
        {32, {16, 17}},         // two eight-pump boards
        {33, {16, 17, 18, 19}}, // four eight-pump boards
        {34, {16}},             // one transmission board
        {63, {16, 17, 40}},     // two pump boards and the scale interface
        {48, {}},               // mixers: master only
        {56, {}},               // scales: master only
    };
    return list;
}

} // namespace

bool FirmwareFile::isValid() const
{
    bool known = false;
    for (const BoardLayout &layout : layouts())
        known = known || layout.boardID == m_boardID;
    return known && m_version.isValid() && !m_image.isEmpty();
}

QList<int> FirmwareFile::boardAddresses(int boardID, bool withMaster)
{
    QList<int> addresses;
    if (withMaster)
        addresses.append(MasterBoardAddress);
    for (const BoardLayout &layout : layouts()) {
        if (boardID != 0 && layout.boardID != boardID)
            continue;
        for (int address : layout.slaves)
            if (!addresses.contains(address))
                addresses.append(address);
    }
    return addresses;
}

bool FirmwareFile::operator==(const FirmwareFile &other) const
{
    return m_fileName == other.m_fileName && m_boardID == other.m_boardID && m_version == other.m_version
        && m_image == other.m_image;
}

XmlRpc::XmlRpcValue FirmwareFile::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    value["fileName"] = m_fileName.toStdString();
    value["board"] = m_boardID;
    value["version"] = m_version.toXmlRpcValue();
    value["image"] = XmlRpc::XmlRpcValue(m_image.constData(), m_image.size());
    return value;
}

FirmwareFile FirmwareFile::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    FirmwareFile file;
    file.m_fileName = reader.toString("fileName");
    file.m_boardID = reader.toInt("board");
    bool versionOk = false;
    file.m_version = FW_Version::fromXmlRpcValue(reader.member("version"), &versionOk);
    reader.require(versionOk);
    const XmlRpc::XmlRpcValue &image = reader.member("image");
    if (reader.require(image.getType() == XmlRpc::XmlRpcValue::TypeBase64)) {
        const XmlRpc::XmlRpcValue::BinaryData &bytes = image.asBinary();
        file.m_image = QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<int>(bytes.size()));
    }
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? file : FirmwareFile();
}
