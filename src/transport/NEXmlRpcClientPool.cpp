#include "NEXmlRpcClientPool.h"

#include "NEXmlRpcClient.h"

#include <algorithm>

NEXmlRpcClientPool::~NEXmlRpcClientPool()
{
    closeDriver(-1);
}

void NEXmlRpcClientPool::giveBack(int driverID, std::shared_ptr<NEXmlRpcClient> client)
{
    if (!client)
        return;
    if (client->isOpenAndIdle()) {
        QMutexLocker locker(&m_mutex);
        const auto kept = std::count_if(m_idle.begin(), m_idle.end(),
                                        [driverID](const Entry &entry) { return entry.driverID == driverID; });
        if (kept < kMaxPerDriver) {
            m_idle.push_back(Entry{driverID, std::move(client)});
            return;
        }
    }
    client->close();
}

std::shared_ptr<NEXmlRpcClient> NEXmlRpcClientPool::borrow(int driverID, const std::string &host, int port, bool tls)
{
    std::vector<std::shared_ptr<NEXmlRpcClient>> stale;
    std::shared_ptr<NEXmlRpcClient> found;
    {
        QMutexLocker locker(&m_mutex);
        for (auto it = m_idle.begin(); it != m_idle.end();) {
            if (it->driverID != driverID) {
                ++it;
                continue;
            }
            // One the driver dropped meanwhile, or one to where the driver
            // used to be, is of no use to anyone.
            const NEXmlRpcClient &client = *it->client;
            const bool same = client.host() == host && client.port() == port && client.isSSL() == tls;
            if (!same || !client.isOpenAndIdle()) {
                stale.push_back(std::move(it->client));
                it = m_idle.erase(it);
                continue;
            }
            found = std::move(it->client);
            m_idle.erase(it);
            break;
        }
    }
    for (const auto &client : stale)
        client->close();
    return found;
}

void NEXmlRpcClientPool::closeDriver(int driverID)
{
    std::vector<std::shared_ptr<NEXmlRpcClient>> closing;
    {
        QMutexLocker locker(&m_mutex);
        for (auto it = m_idle.begin(); it != m_idle.end();) {
            if (driverID == -1 || it->driverID == driverID) {
                closing.push_back(std::move(it->client));
                it = m_idle.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const auto &client : closing)
        client->close();
}
