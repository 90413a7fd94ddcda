#include "AXOCurrentCommData.h"

AXOCurrentCommData *AXOCurrentCommData::m_Instance = nullptr;

namespace {
QMutex s_instanceMutex;
}

AXOCurrentCommData::AXOCurrentCommData(QObject *parent) : QObject(parent)
{
}

AXOCurrentCommData::~AXOCurrentCommData() = default;

AXOCurrentCommData *AXOCurrentCommData::instance()
{
    QMutexLocker locker(&s_instanceMutex);
    if (!m_Instance)
        m_Instance = new AXOCurrentCommData();
    return m_Instance;
}

void AXOCurrentCommData::drop()
{
    QMutexLocker locker(&s_instanceMutex);
    delete m_Instance;
    m_Instance = nullptr;
}

int AXOCurrentCommData::currentDriverID() const
{
    QMutexLocker locker(&m_mutex);
    return m_driverID;
}

int AXOCurrentCommData::currentDispenserID() const
{
    QMutexLocker locker(&m_mutex);
    return m_dispenserID;
}

int AXOCurrentCommData::currentMixerID() const
{
    QMutexLocker locker(&m_mutex);
    return m_mixerID;
}

MachineID AXOCurrentCommData::currentMachineID() const
{
    QMutexLocker locker(&m_mutex);
    return m_machineID;
}

void AXOCurrentCommData::setCurrentDriverID(int driverID)
{
    QMutexLocker locker(&m_mutex);
    m_driverID = driverID;
}

void AXOCurrentCommData::setCurrentDispenserID(int dispID)
{
    QMutexLocker locker(&m_mutex);
    m_dispenserID = dispID;
}

void AXOCurrentCommData::setCurrentMixerID(int mixerID)
{
    QMutexLocker locker(&m_mutex);
    m_mixerID = mixerID;
}

void AXOCurrentCommData::setCurrentMachineID(const MachineID &machineID)
{
    QMutexLocker locker(&m_mutex);
    m_machineID = machineID;
}
