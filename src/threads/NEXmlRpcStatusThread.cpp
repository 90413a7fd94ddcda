#include "NEXmlRpcStatusThread.h"

#include "AXOCommData.h"
#include "DispenserDriverStatusAnswer.h"
#include "MixerDriverStatusAnswer.h"
#include "ProtoCommandList.h"

#include <QtCore/QMutex>

struct NEXmlRpcStatusThread::Receiver
{
    QMutex mutex;
    NEXmlRpcStatusThread *thread = nullptr; // null once the thread object goes
};

NEXmlRpcStatusThread::NEXmlRpcStatusThread(const NEDriverParams &driverParams, const MachineID &machineID,
                                           QueueType queueType, NEDriverParams::DriverThreadTypes threadType,
                                           QObject *parent)
    : NEXmlRpcPollingThread(driverParams, machineID, queueType, threadType, parent),
      m_receiver(std::make_shared<Receiver>())
{
    m_receiver->thread = this;
    // A direct connection: the store may signal from any thread, one that
    // runs no event loop included, and the slot only reads the store (which
    // locks itself) and sets the pause flag under its mutex.
    const std::shared_ptr<Receiver> receiver = m_receiver;
    // The store is asked before the receiver's lock is taken: no store lock
    // is ever taken under it.
    const int ownDriver = driverID();
    m_configConnection = connect(
        AXOCommData::instance(), &AXOCommData::NEConfigurationChanged, this,
        [receiver, ownDriver](int driverID) {
            if (driverID != ownDriver)
                return;
            const bool machines = AXOCommData::instance()->getNumOfMachines(driverID, true) > 0;
            QMutexLocker locker(&receiver->mutex);
            if (receiver->thread)
                receiver->thread->followConfiguredMachines(machines);
        },
        Qt::DirectConnection);
}

NEXmlRpcStatusThread::~NEXmlRpcStatusThread()
{
    QObject::disconnect(m_configConnection);
    // A delivery already under way finishes first; later ones find no thread.
    QMutexLocker locker(&m_receiver->mutex);
    m_receiver->thread = nullptr;
}

void NEXmlRpcStatusThread::ConfigurationChanged(int driverID)
{
    if (driverID != this->driverID())
        return;
    followConfiguredMachines(AXOCommData::instance()->getNumOfMachines(driverID, true) > 0);
}

void NEXmlRpcStatusThread::followConfiguredMachines(bool machines)
{
    if (!machines)
        setPauseFlag(true);
    else if (getPauseFlag())
        setPauseFlag(false);
}

QString NEXmlRpcStatusThread::queryName() const
{
    const MachineID machine = machineID();
    if (machine.machineType & MachineID::Dispenser)
        return ProtoCommandList::cmdStr(ProtoCommandList::GET_DISP_STATUS);
    if (machine.machineType & MachineID::Mixer)
        return ProtoCommandList::cmdStr(ProtoCommandList::GET_MIXER_STATUS);
    return QString();
}

NCCommand NEXmlRpcStatusThread::makeQuery(const ProtoAnswer *previous) const
{
    return NCCommand(queryName(), previous, kPollInterval, kPollHold, nullptr);
}

FW_DriverError NEXmlRpcStatusThread::queryConstructionError() const
{
    return FW_DriverError(QStringLiteral("An error occurred in command construction"), QStringLiteral("TE00039"));
}

bool NEXmlRpcStatusThread::acceptsAnswer(const ProtoAnswer &answer) const
{
    const MachineID machine = machineID();
    if (machine.machineType & MachineID::Dispenser)
        return dynamic_cast<const DispenserDriverStatusAnswer *>(&answer) != nullptr;
    if (machine.machineType & MachineID::Mixer)
        return dynamic_cast<const MixerDriverStatusAnswer *>(&answer) != nullptr;
    return dynamic_cast<const MachineDriverStatusAnswer *>(&answer) != nullptr;
}
