#ifndef NEMIXERDATA_H
#define NEMIXERDATA_H

#include "AXOCommGlobal.h"
#include "MixerDriverStatusAnswer.h"
#include "NEMachineData.h"

#include <memory>

//! The record of a mixer (machine type 4). Number 0 is the driver's generic mixer.
class AXOCOMM_EXPORT NEMixerData : public NEMachineData
{
public:
    NEMixerData();
    explicit NEMixerData(int number);
    NEMixerData(int number, const FW_ErrorList &errors);
    NEMixerData(const NEMixerData &other);
    NEMixerData &operator=(const NEMixerData &other);
    ~NEMixerData() override;

    NEMixerData *clone() const override;

    //! With allFields, setMachineDefaults(); a mixer keeps nothing else.
    void setDefaults(bool allFields);

    // Driver status answers as mixer answers (null when the stored answer
    // is missing or of another kind).
    const MixerDriverStatusAnswer *currentMixerDriverStatus() const;
    const MixerDriverStatusAnswer *previousMixerDriverStatus() const;
    std::unique_ptr<MixerDriverStatusAnswer> currentMixerDriverStatusCopy() const;
    std::unique_ptr<MixerDriverStatusAnswer> previousMixerDriverStatusCopy() const;
    void setCurrentMixerStatus(const MixerDriverStatusAnswer *status) { setCurrentMachineStatus(status); }
    void setPreviousMixerStatus(const MixerDriverStatusAnswer *status) { setPreviousMachineStatus(status); }
    bool hasMixerStatus() const { return currentMixerDriverStatus() != nullptr; }
    bool hasPreviousMixerStatus() const { return previousMixerDriverStatus() != nullptr; }
};

#endif // NEMIXERDATA_H
