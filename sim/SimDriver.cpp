#include "SimDriver.h"

#include "SimDriverModel.h"

SimDriver::SimDriver(const SimScenario &scenario, DriverSimulator::Mode mode)
    : m_model(std::make_shared<SimDriverModel>(scenario)), m_handler(m_model), m_simulator(mode)
{
    m_handler.install(m_simulator);
}

SimDriver::~SimDriver()
{
    stop();
}

bool SimDriver::start()
{
    m_model->reopen();
    if (!m_simulator.start())
        return false;
    m_model->startEvents();
    return true;
}

void SimDriver::stop()
{
    m_handler.shutdown();
    m_simulator.stop();
}
