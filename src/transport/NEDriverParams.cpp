#include "NEDriverParams.h"

NEDriverParams::NEDriverParams()
{
    setDefaults();
}

NEDriverParams::NEDriverParams(int driverID, const AXODriverConnection &connection)
    : m_driverID(driverID), m_driverType(AXOdriver), m_connection(new AXODriverConnection(connection))
{
    resetThreadsStatusList();
}

NEDriverParams::NEDriverParams(int driverID, DriverTypes driverType)
    : m_driverID(driverID), m_driverType(driverType)
{
    resetThreadsStatusList();
}

NEDriverParams::NEDriverParams(const NEDriverParams &other)
{
    copy(other);
}

NEDriverParams &NEDriverParams::operator=(const NEDriverParams &other)
{
    if (this != &other)
        copy(other);
    return *this;
}

NEDriverParams::~NEDriverParams() = default;

void NEDriverParams::setDefaults()
{
    m_driverID = 1;
    m_driverType = AXOdriver;
    m_connection.reset();
    resetThreadsStatusList();
}

void NEDriverParams::copy(const NEDriverParams &other)
{
    m_driverID = other.m_driverID;
    m_driverType = other.m_driverType;
    m_connection.reset(other.m_connection ? new AXODriverConnection(*other.m_connection) : nullptr);
    m_threadsStatusList = other.m_threadsStatusList;
}

void NEDriverParams::setAXODriverConnection(const AXODriverConnection &connection)
{
    m_connection.reset(new AXODriverConnection(connection));
}

QString NEDriverParams::ipAddress() const
{
    return m_connection ? m_connection->ipAddress() : QString();
}

void NEDriverParams::setIpAddress(const QString &address)
{
    if (m_connection)
        m_connection->setHostAddress(QHostAddress(address));
}

int NEDriverParams::port() const
{
    return m_connection ? m_connection->port() : 0;
}

void NEDriverParams::setPort(int port)
{
    if (m_connection)
        m_connection->setPort(port);
}

std::string NEDriverParams::certPath() const
{
    if (!m_connection || m_connection->certPath().isEmpty())
        return std::string();
    return m_connection->certPath().toStdString();
}

void NEDriverParams::resetThreadsStatusList()
{
    m_threadsStatusList.clear();
    for (int type = 0; type < NumOfDriverThreadTypes; ++type)
        m_threadsStatusList.append(qMakePair(type, 0));
}

int NEDriverParams::getThreadStatus(int threadType, bool *found) const
{
    for (const auto &entry : m_threadsStatusList) {
        if (entry.first == threadType) {
            if (found)
                *found = true;
            return entry.second;
        }
    }
    if (found)
        *found = false;
    return 0;
}

bool NEDriverParams::updateThreadStatus(int threadType, bool started)
{
    for (auto &entry : m_threadsStatusList) {
        if (entry.first != threadType)
            continue;
        if (started) {
            ++entry.second;
        } else {
            if (entry.second < 1)
                return false;
            --entry.second;
        }
        return true;
    }
    return false;
}

bool NEDriverParams::isValidDriverThreadType(DriverThreadTypes threadType)
{
    return static_cast<unsigned>(threadType) < static_cast<unsigned>(NumOfDriverThreadTypes);
}

QString NEDriverParams::threadTypeDescription(DriverThreadTypes threadType)
{
    switch (threadType) {
    case StandardCommandsThread: return QStringLiteral("Standard commands thread");
    case ConfigurationCommandsThread: return QStringLiteral("Configuration commands thread");
    case PriorityCommandsThread: return QStringLiteral("Priority commands thread");
    case StopCommandsThread: return QStringLiteral("Stop commands thread");
    case ScaleCommandsThread: return QStringLiteral("Scale commands thread");
    case DriverStatusThread: return QStringLiteral("Driver status thread");
    case ActiveMachineThread: return QStringLiteral("Active machine thread");
    case SensorsStatusThread: return QStringLiteral("Sensors status thread");
    case CircuitsStatusThread: return QStringLiteral("Circuits status thread");
    case CircuitsProcessesThread: return QStringLiteral("Circuits processes thread");
    case ConnectionStatusThread: return QStringLiteral("Connection status thread");
    case ScaleWeightThread: return QStringLiteral("Scale weight thread");
    case MixerStatusThread: return QStringLiteral("Mixer status thread");
    case CustomPollingThread: break;
    }
    return QString();
}

bool NEDriverParams::operator==(const NEDriverParams &other) const
{
    if (m_driverID != other.m_driverID || m_driverType != other.m_driverType)
        return false;
    if (!m_connection || !other.m_connection)
        return !m_connection && !other.m_connection;
    return *m_connection == *other.m_connection;
}
