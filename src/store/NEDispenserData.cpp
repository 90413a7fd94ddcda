#include "NEDispenserData.h"

NEDispenserData::NEDispenserData() : NEDispenserData(0) {}

NEDispenserData::NEDispenserData(int number) : NEMachineData(MachineID(number, MachineID::Dispenser)) {}

NEDispenserData::NEDispenserData(int number, const FW_ErrorList &errors)
    : NEMachineData(MachineID(number, MachineID::Dispenser), errors)
{
}

NEDispenserData::NEDispenserData(const NEDispenserData &other) : NEMachineData(other)
{
    m_weightAnswer = cloneAnswer(other.m_weightAnswer.get());
    m_ussWaterChangeStatus = cloneAnswer(other.m_ussWaterChangeStatus.get());
}

NEDispenserData &NEDispenserData::operator=(const NEDispenserData &other)
{
    copy(other);
    return *this;
}

NEDispenserData::~NEDispenserData() = default;

NEDispenserData *NEDispenserData::clone() const
{
    return new NEDispenserData(*this);
}

void NEDispenserData::copy(const NEDispenserData &other)
{
    if (this == &other)
        return;
    NEMachineData::copy(other);
    m_weightAnswer = cloneAnswer(other.m_weightAnswer.get());
    m_ussWaterChangeStatus = cloneAnswer(other.m_ussWaterChangeStatus.get());
}

void NEDispenserData::setDefaults(bool allFields)
{
    if (allFields)
        setMachineDefaults();
    m_weightAnswer.reset();
    m_ussWaterChangeStatus.reset();
}

const DispenserDriverStatusAnswer *NEDispenserData::currentDispenserDriverStatus() const
{
    return dynamic_cast<const DispenserDriverStatusAnswer *>(currentMachineDriverStatus());
}

const DispenserDriverStatusAnswer *NEDispenserData::previousDispenserDriverStatus() const
{
    return dynamic_cast<const DispenserDriverStatusAnswer *>(previousMachineDriverStatus());
}

std::unique_ptr<DispenserDriverStatusAnswer> NEDispenserData::currentDispenserDriverStatusCopy() const
{
    return cloneAnswer(currentDispenserDriverStatus());
}

std::unique_ptr<DispenserDriverStatusAnswer> NEDispenserData::previousDispenserDriverStatusCopy() const
{
    return cloneAnswer(previousDispenserDriverStatus());
}

std::unique_ptr<WeightAnswer> NEDispenserData::weightAnswerCopy() const
{
    return cloneAnswer(m_weightAnswer.get());
}

void NEDispenserData::setWeightAnswer(const WeightAnswer *answer)
{
    m_weightAnswer = cloneAnswer(answer);
}

std::unique_ptr<UssWaterChangeStatus> NEDispenserData::ussWaterChangeStatusCopy() const
{
    return cloneAnswer(m_ussWaterChangeStatus.get());
}

void NEDispenserData::setUssWaterChangeStatus(const UssWaterChangeStatus &status)
{
    m_ussWaterChangeStatus = cloneAnswer(&status);
}
