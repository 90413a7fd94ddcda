#ifndef SIMDRIVER_H
#define SIMDRIVER_H

#include "DriverSimulator.h"
#include "SimProtocolHandler.h"
#include "SimScenario.h"

#include <memory>

class SimDriverModel;

//! The simulated driver process in one object: a DriverSimulator serving
//! the driver protocol (SimProtocolHandler) from a SimDriverModel built from
//! a scenario. stop() and the destructor first wake the calls the protocol
//! holds, then stop the server, so they return promptly however many
//! notify-changed calls are open.
//!
//!     SimScenario scenario = SimScenario::defaultScenario();
//!     scenario.setResetMs(300);
//!     SimDriver driver(scenario);
//!     driver.start();                  // 127.0.0.1, free port
//!     XmlRpc::XmlRpcClient client("127.0.0.1", driver.port());
//!     ...
//!     driver.stop();                   // also done by the destructor
class SimDriver
{
public:
    explicit SimDriver(const SimScenario &scenario = SimScenario::defaultScenario(),
                       DriverSimulator::Mode mode = DriverSimulator::Plain);
    ~SimDriver();

    SimDriver(const SimDriver &) = delete;
    SimDriver &operator=(const SimDriver &) = delete;

    //! Starts serving (see DriverSimulator::start); the model keeps its
    //! state across stop() and start().
    bool start();
    //! Ends every held call, then stops the server. Idempotent.
    void stop();

    uint16_t port() const { return m_simulator.port(); }
    //! The server, for its set-up, misbehaviour switches and counters.
    DriverSimulator &simulator() { return m_simulator; }
    SimDriverModel &model() { return *m_model; }
    const SimProtocolHandler &handler() const { return m_handler; }

private:
    std::shared_ptr<SimDriverModel> m_model;
    SimProtocolHandler m_handler;
    DriverSimulator m_simulator;
};

#endif // SIMDRIVER_H
