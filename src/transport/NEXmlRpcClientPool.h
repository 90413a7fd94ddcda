#ifndef NEXMLRPCCLIENTPOOL_H
#define NEXMLRPCCLIENTPOOL_H

#include <QtCore/QMutex>

#include <memory>
#include <string>
#include <vector>

class NEXmlRpcClient;

//! Open, idle connections to the drivers, kept for the next caller that
//! would otherwise open one: the connection a start's probe made, and the
//! ones given back after a call lent them. A command run through an idle
//! command thread borrows one when its thread has none open, so that the
//! short calls of one caller keep to one connection whichever machine's
//! queue they belong to.
//!
//! A connection is kept only while it is open and idle, under its driver's
//! ID, host, port and kind (TLS or plain); at most kMaxPerDriver per driver.
//! Thread-safe.
class NEXmlRpcClientPool
{
public:
    //! The most idle connections kept per driver.
    static constexpr int kMaxPerDriver = 2;

    NEXmlRpcClientPool() = default;
    //! Closes every connection kept.
    ~NEXmlRpcClientPool();

    NEXmlRpcClientPool(const NEXmlRpcClientPool &) = delete;
    NEXmlRpcClientPool &operator=(const NEXmlRpcClientPool &) = delete;

    //! Keeps the client for the driver when its connection is open and idle
    //! and the driver has room; closes it otherwise.
    void giveBack(int driverID, std::shared_ptr<NEXmlRpcClient> client);
    //! An open idle connection of the driver to that host, port and kind,
    //! taken out of the pool; null when there is none.
    std::shared_ptr<NEXmlRpcClient> borrow(int driverID, const std::string &host, int port, bool tls);
    //! Closes and forgets the connections of the driver (-1: of every driver).
    void closeDriver(int driverID);

private:
    struct Entry
    {
        int driverID;
        std::shared_ptr<NEXmlRpcClient> client;
    };

    QMutex m_mutex;
    std::vector<Entry> m_idle; // guarded by m_mutex
};

#endif // NEXMLRPCCLIENTPOOL_H
