#ifndef SIMPROTOCOLHANDLER_H
#define SIMPROTOCOLHANDLER_H

#include "XmlRpcValue.h"

#include <QtCore/QString>

#include <memory>

class DriverSimulator;
class SimDriverModel;

//! The driver protocol on top of a DriverSimulator: the methods
//! "AXO.execute", "AXO.executeAsync" and "AXO.notifyChanged", answered from
//! a SimDriverModel (docs/protocol.md, docs/simulator.md).
//!
//! It checks the call parameter, the command name against the catalogue, the
//! call kind, and the session of commands addressed to a machine, then hands
//! the command to the model. Notify-changed calls are held until the answer
//! differs from "prev" or their timeout passes.
//!
//! A handler is a small value sharing its model: install() registers copies
//! of it, so the simulator's methods keep the model alive for as long as
//! they are registered. Held calls end when the model is shut down
//! (shutdown()); do that before DriverSimulator::stop(), which waits for
//! every call in progress. SimDriver does both in that order.
class SimProtocolHandler
{
public:
    //! Limits of a notify-changed call's interval and timeout, ms; values
    //! outside are clamped.
    static constexpr int kMinIntervalMs = 10;
    static constexpr int kMaxIntervalMs = 60000;
    static constexpr int kMaxHoldMs = 60000;
    //! How often a held call looks whether its client is still connected.
    static constexpr int kHangUpCheckMs = 50;

    explicit SimProtocolHandler(std::shared_ptr<SimDriverModel> model);

    //! Registers the three methods on the simulator (replacing earlier ones).
    void install(DriverSimulator &simulator) const;
    //! Wakes every held call (each answers with its current result) and
    //! makes later notify-changed calls answer at once.
    void shutdown() const;

    //! Serves one call of the method for call kind callType (1 sync, 2 async,
    //! 4 notify-changed) with the method's parameters. A parameter that is
    //! not a protocol call throws SimFault (code 1).
    XmlRpc::XmlRpcValue handle(int callType, const XmlRpc::XmlRpcValue &params) const;

    //! Whether a notify-changed call may hold the query (the catalogue's
    //! notify-changed queries).
    static bool isHoldable(const QString &command);
    //! Whether the simulator answers the command itself; the other catalogue
    //! commands are answered rc 6, TE10007 once the session checks passed.
    static bool implements(const QString &command);

    std::shared_ptr<SimDriverModel> model() const { return m_model; }

private:
    XmlRpc::XmlRpcValue execute(int callType, const QString &command, const QString &session,
                                const XmlRpc::XmlRpcValue &params) const;
    //! The commands of the driver itself (no machine session).
    XmlRpc::XmlRpcValue driverCommand(int identifier, const QString &command, const QString &session,
                                      const XmlRpc::XmlRpcValue &params) const;
    XmlRpc::XmlRpcValue hold(const QString &command, const QString &session, const XmlRpc::XmlRpcValue &params,
                             const XmlRpc::XmlRpcValue &previous, int intervalMs, int timeoutMs) const;
    XmlRpc::XmlRpcValue handshake(const QString &command, const QString &session,
                                  const XmlRpc::XmlRpcValue &params) const;

    std::shared_ptr<SimDriverModel> m_model;
};

#endif // SIMPROTOCOLHANDLER_H
