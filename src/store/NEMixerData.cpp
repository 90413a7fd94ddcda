#include "NEMixerData.h"

NEMixerData::NEMixerData() : NEMixerData(0) {}

NEMixerData::NEMixerData(int number) : NEMachineData(MachineID(number, MachineID::Mixer)) {}

NEMixerData::NEMixerData(int number, const FW_ErrorList &errors)
    : NEMachineData(MachineID(number, MachineID::Mixer), errors)
{
}

NEMixerData::NEMixerData(const NEMixerData &other) = default;

NEMixerData &NEMixerData::operator=(const NEMixerData &other)
{
    copy(other);
    return *this;
}

NEMixerData::~NEMixerData() = default;

NEMixerData *NEMixerData::clone() const
{
    return new NEMixerData(*this);
}

void NEMixerData::setDefaults(bool allFields)
{
    if (allFields)
        setMachineDefaults();
}

const MixerDriverStatusAnswer *NEMixerData::currentMixerDriverStatus() const
{
    return dynamic_cast<const MixerDriverStatusAnswer *>(currentMachineDriverStatus());
}

const MixerDriverStatusAnswer *NEMixerData::previousMixerDriverStatus() const
{
    return dynamic_cast<const MixerDriverStatusAnswer *>(previousMachineDriverStatus());
}

std::unique_ptr<MixerDriverStatusAnswer> NEMixerData::currentMixerDriverStatusCopy() const
{
    return cloneAnswer(currentMixerDriverStatus());
}

std::unique_ptr<MixerDriverStatusAnswer> NEMixerData::previousMixerDriverStatusCopy() const
{
    return cloneAnswer(previousMixerDriverStatus());
}
