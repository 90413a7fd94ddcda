#include "NEMachineData.h"

#include "NEDispenserData.h"
#include "NEMixerData.h"

NEMachineData::NEMachineData() = default;

NEMachineData::NEMachineData(const MachineID &machineID) : m_machineID(machineID) {}

NEMachineData::NEMachineData(const MachineID &machineID, const FW_ErrorList &errors)
    : m_machineID(machineID), m_errors(errors)
{
}

NEMachineData::NEMachineData(const NEMachineData &other)
{
    copy(other);
}

NEMachineData &NEMachineData::operator=(const NEMachineData &other)
{
    if (this != &other)
        copy(other);
    return *this;
}

NEMachineData::~NEMachineData() = default;

NEMachineData *NEMachineData::clone() const
{
    return new NEMachineData(*this);
}

NEMachineData *NEMachineData::buildMachineData(const MachineID &machineID)
{
    if (machineID.machineType & MachineID::Dispenser)
        return new NEDispenserData(machineID.machineNumber);
    if (machineID.machineType & MachineID::Mixer)
        return new NEMixerData(machineID.machineNumber);
    return nullptr;
}

void NEMachineData::copy(const NEMachineData &other)
{
    if (this == &other)
        return;
    m_machineID = other.m_machineID;
    m_errors = other.m_errors;
    m_errorsHistory = other.m_errorsHistory;
    m_commandList = other.m_commandList;
    m_bootLoaderActive = other.m_bootLoaderActive;
    m_fwProgram = other.m_fwProgram;
    m_currentStatus = cloneAnswer(other.m_currentStatus.get());
    m_previousStatus = cloneAnswer(other.m_previousStatus.get());
}

namespace {

bool sameAnswer(const MachineDriverStatusAnswer *a, const MachineDriverStatusAnswer *b)
{
    if (!a || !b)
        return a == b;
    return *a == *b;
}

} // namespace

bool NEMachineData::operator==(const NEMachineData &other) const
{
    if (m_machineID != other.m_machineID || m_errors != other.m_errors || m_errorsHistory != other.m_errorsHistory
        || m_bootLoaderActive != other.m_bootLoaderActive || m_fwProgram != other.m_fwProgram)
        return false;
    if (m_commandList.size() != other.m_commandList.size())
        return false;
    for (const ProtocolCommandInfo &command : m_commandList) {
        if (!other.m_commandList.contains(command))
            return false;
    }
    return sameAnswer(m_currentStatus.get(), other.m_currentStatus.get())
        && sameAnswer(m_previousStatus.get(), other.m_previousStatus.get());
}

void NEMachineData::setMachineDefaults()
{
    m_machineID = MachineID(0, MachineID::NoDevice);
    m_errors.clear();
    m_errorsHistory.clear();
    m_commandList.clear();
    m_bootLoaderActive = false;
    m_currentStatus.reset();
    m_previousStatus.reset();
}

void NEMachineData::setCurrentMachineStatus(const MachineDriverStatusAnswer *status)
{
    // Clone first: the argument may be the stored previous status.
    std::unique_ptr<MachineDriverStatusAnswer> next = cloneAnswer(status);
    if (m_currentStatus)
        m_previousStatus = std::move(m_currentStatus);
    m_currentStatus = std::move(next);
}

void NEMachineData::setPreviousMachineStatus(const MachineDriverStatusAnswer *status)
{
    m_previousStatus = cloneAnswer(status);
}

std::unique_ptr<MachineDriverStatusAnswer> NEMachineData::currentMachineDriverStatusCopy() const
{
    return cloneAnswer(m_currentStatus.get());
}

std::unique_ptr<MachineDriverStatusAnswer> NEMachineData::previousMachineDriverStatusCopy() const
{
    return cloneAnswer(m_previousStatus.get());
}
