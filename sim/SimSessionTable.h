#ifndef SIMSESSIONTABLE_H
#define SIMSESSIONTABLE_H

#include "MachineID.h"
#include "XmlRpcValue.h"

#include <QtCore/QByteArray>
#include <QtCore/QHash>
#include <QtCore/QString>

#include <chrono>
#include <cstdint>
#include <mutex>

//! The sessions the simulated driver's clients hold: the three-step
//! handshake (LOGIN, GET_KEY, CERTIFY_SESSION), LOGOUT, expiry, and the
//! look-up of a session's machine and access level for machine commands.
//!
//! Keys are bound to the session, both nonces, the machine, the access level
//! and the client ID (SessionKeys::boundText). Sessions not yet certified
//! live at most kUncertifiedMs and are at most kMaxUncertified at a time: a
//! further LOGIN drops the oldest of them, so a login flood never reaches
//! the certified ones. Thread-safe.
class SimSessionTable
{
public:
    static constexpr int kMaxUncertified = 64;
    static constexpr int kUncertifiedMs = 30000;
    static constexpr int kDefaultLifetimeMinutes = 20;
    static constexpr int kMaxLifetimeMinutes = 1440;

    //! What a certified session was granted.
    struct Grant
    {
        MachineID machine;
        int accessLevel = 1;
    };

    SimSessionTable();

    //! The protocol secret (32 bytes); anything else returns to the default.
    void setSecret(const QByteArray &secret);
    //! The highest access level LOGIN grants (1..3; default 3).
    void setMaxAccess(int level);
    int maxAccess() const;
    //! How long a session may wait for its certification (tests shorten it).
    void setUncertifiedLifetimeMs(int ms);

    //! LOGIN of a machine the caller has checked. lifetimeMinutes <= 0 takes
    //! the default; the access level must be 1..3.
    XmlRpc::XmlRpcValue login(const MachineID &machine, const QString &clientID, int lifetimeMinutes,
                              int accessLevel);
    XmlRpc::XmlRpcValue getKey(const QString &sessionID, const QString &clientNonce);
    XmlRpc::XmlRpcValue certify(const QString &sessionID, const QString &loginKey);
    XmlRpc::XmlRpcValue logout(const QString &sessionID);

    //! The grant of a certified, unexpired session; marks it used.
    bool lookup(const QString &sessionID, Grant *grant);
    int count();
    int uncertifiedCount();

    //! 32 lower-case hex digits, the form of nonces and session IDs.
    static bool isNonceText(const QString &text);

private:
    typedef std::chrono::steady_clock Clock;

    struct Entry
    {
        MachineID machine;
        QString clientID;
        int accessLevel = 1;
        int64_t lifetimeMs = 0;
        Clock::time_point created;
        Clock::time_point lastUse;
        QString driverNonce;
        QString clientNonce;
        bool certified = false;
    };

    bool expired(const Entry &entry, Clock::time_point now) const;
    //! Removes every expired session (logins and the counts sweep).
    void purge(Clock::time_point now);
    //! The session if it is there and alive; an expired one is removed.
    QHash<QString, Entry>::iterator findLive(const QString &sessionID, Clock::time_point now);
    void dropOldestUncertified();
    QByteArray boundText(const QString &sessionID, const Entry &entry) const;

    mutable std::mutex m_mutex;
    QByteArray m_secret;
    int m_maxAccess = 3;
    int64_t m_uncertifiedMs = kUncertifiedMs;
    QHash<QString, Entry> m_sessions;
};

#endif // SIMSESSIONTABLE_H
