#include "SimSessionTable.h"

#include "CertifySessionAnswer.h"
#include "GetKeyAnswer.h"
#include "LoginAnswer.h"
#include "ProtoAnswer.h"
#include "SessionKeys.h"
#include "SimDriverModel.h"
#include "XmlRpcAnswer.h"

#include <algorithm>

using XmlRpc::XmlRpcValue;

SimSessionTable::SimSessionTable() : m_secret(SessionKeys::defaultSecret())
{
}

void SimSessionTable::setSecret(const QByteArray &secret)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_secret = secret.size() == SessionKeys::SecretBytes ? secret : SessionKeys::defaultSecret();
}

void SimSessionTable::setMaxAccess(int level)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_maxAccess = std::min(3, std::max(1, level));
}

int SimSessionTable::maxAccess() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_maxAccess;
}

void SimSessionTable::setUncertifiedLifetimeMs(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_uncertifiedMs = std::max(0, ms);
}

bool SimSessionTable::isNonceText(const QString &text)
{
    if (text.size() != 2 * SessionKeys::NonceBytes)
        return false;
    for (const QChar c : text) {
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    }
    return true;
}

XmlRpcValue SimSessionTable::login(const MachineID &machine, const QString &clientID, int lifetimeMinutes,
                                   int accessLevel)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point now = Clock::now();
    purge(now);
    if (accessLevel > m_maxAccess)
        return SimDriverModel::failure(ProtoAnswer::RC_REFUSED, SimDriverModel::AccessNotGranted,
                                       QString::number(accessLevel));
    int uncertified = 0;
    for (const Entry &entry : m_sessions)
        uncertified += entry.certified ? 0 : 1;
    if (uncertified >= kMaxUncertified)
        dropOldestUncertified();

    Entry entry;
    entry.machine = machine;
    entry.clientID = clientID;
    entry.accessLevel = accessLevel;
    const int minutes = lifetimeMinutes > 0 ? std::min(lifetimeMinutes, kMaxLifetimeMinutes) : kDefaultLifetimeMinutes;
    entry.lifetimeMs = int64_t(minutes) * 60000;
    entry.created = now;
    entry.lastUse = now;
    entry.driverNonce = SessionKeys::randomNonce();
    QString id;
    do {
        id = SessionKeys::newSessionID();
    } while (m_sessions.contains(id));
    m_sessions.insert(id, entry);
    return LoginAnswer(id).toXmlRpcValue();
}

XmlRpcValue SimSessionTable::getKey(const QString &sessionID, const QString &clientNonce)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = findLive(sessionID, Clock::now());
    // One GET_KEY per session: the driver's proof is given for one client nonce only.
    if (it == m_sessions.end() || it->certified || !it->clientNonce.isEmpty())
        return SimDriverModel::failure(ProtoAnswer::RC_INVALID_SESSION, SimDriverModel::InvalidSession);
    it->clientNonce = clientNonce;
    return GetKeyAnswer(SessionKeys::driverKey(m_secret, sessionID, it->driverNonce, boundText(sessionID, *it)))
        .toXmlRpcValue();
}

XmlRpcValue SimSessionTable::certify(const QString &sessionID, const QString &loginKey)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point now = Clock::now();
    const auto it = findLive(sessionID, now);
    // Certification is the step after GET_KEY, and comes once.
    if (it == m_sessions.end() || it->certified || it->clientNonce.isEmpty())
        return SimDriverModel::failure(ProtoAnswer::RC_INVALID_SESSION, SimDriverModel::InvalidSession);
    const bool holds = SessionKeys::keysEqual(loginKey, SessionKeys::loginKey(m_secret, boundText(sessionID, *it)));
    if (!holds) {
        m_sessions.erase(it);
        // A refusal is the answer itself, not an error of the call.
        return CertifySessionAnswer(false).toXmlRpcValue();
    }
    it->certified = true;
    it->driverNonce.clear(); // used up
    it->clientNonce.clear();
    it->lastUse = now;
    return CertifySessionAnswer(true).toXmlRpcValue();
}

XmlRpcValue SimSessionTable::logout(const QString &sessionID)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = findLive(sessionID, Clock::now());
    if (it == m_sessions.end())
        return SimDriverModel::failure(ProtoAnswer::RC_INVALID_SESSION, SimDriverModel::InvalidSession);
    m_sessions.erase(it);
    XmlRpcValue data;
    data["loggedOut"] = true;
    return XmlRpcAnswer::makeResult(ProtoAnswer::RC_OK, FW_ErrorList(), data);
}

bool SimSessionTable::lookup(const QString &sessionID, Grant *grant)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point now = Clock::now();
    const auto it = findLive(sessionID, now);
    if (it == m_sessions.end() || !it->certified)
        return false;
    it->lastUse = now;
    grant->machine = it->machine;
    grant->accessLevel = it->accessLevel;
    return true;
}

int SimSessionTable::count()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    purge(Clock::now());
    return m_sessions.size();
}

int SimSessionTable::uncertifiedCount()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    purge(Clock::now());
    int count = 0;
    for (const Entry &entry : m_sessions)
        count += entry.certified ? 0 : 1;
    return count;
}

// m_mutex is held below.

bool SimSessionTable::expired(const Entry &entry, Clock::time_point now) const
{
    return entry.certified ? entry.lastUse + std::chrono::milliseconds(entry.lifetimeMs) < now
                           : entry.created + std::chrono::milliseconds(m_uncertifiedMs) <= now;
}

void SimSessionTable::purge(Clock::time_point now)
{
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        if (expired(*it, now))
            it = m_sessions.erase(it);
        else
            ++it;
    }
}

QHash<QString, SimSessionTable::Entry>::iterator SimSessionTable::findLive(const QString &sessionID,
                                                                          Clock::time_point now)
{
    // Calls of a session look at that session only: the cost of a call does
    // not grow with the sessions other clients left behind.
    const auto it = m_sessions.find(sessionID);
    if (it == m_sessions.end() || !expired(*it, now))
        return it;
    m_sessions.erase(it);
    return m_sessions.end();
}

void SimSessionTable::dropOldestUncertified()
{
    auto oldest = m_sessions.end();
    for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it) {
        if (!it->certified && (oldest == m_sessions.end() || it->created < oldest->created))
            oldest = it;
    }
    if (oldest != m_sessions.end())
        m_sessions.erase(oldest);
}

QByteArray SimSessionTable::boundText(const QString &sessionID, const Entry &entry) const
{
    return SessionKeys::boundText(sessionID, entry.machine, entry.accessLevel, entry.clientNonce, entry.driverNonce,
                                  entry.clientID);
}
