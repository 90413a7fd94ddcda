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
    //! A record of mixer {0, 4}, empty.
    NEMixerData();
    //! An empty record of mixer {number, 4}.
    explicit NEMixerData(int number);
    //! The same with those errors.
    NEMixerData(int number, const FW_ErrorList &errors);
    //! A deep copy.
    NEMixerData(const NEMixerData &other);
    //! A deep copy.
    NEMixerData &operator=(const NEMixerData &other);
    //! Frees the answers.
    ~NEMixerData() override;

    //! A new deep copy, owned by the caller.
    NEMixerData *clone() const override;

    //! With allFields, setMachineDefaults(); a mixer keeps nothing else.
    void setDefaults(bool allFields);

    // Driver status answers as mixer answers (null when the stored answer
    // is missing or of another kind).
    //! The current status, owned by the record.
    const MixerDriverStatusAnswer *currentMixerDriverStatus() const;
    //! The previous status, owned by the record.
    const MixerDriverStatusAnswer *previousMixerDriverStatus() const;
    //! A copy of the current status.
    std::unique_ptr<MixerDriverStatusAnswer> currentMixerDriverStatusCopy() const;
    //! A copy of the previous status.
    std::unique_ptr<MixerDriverStatusAnswer> previousMixerDriverStatusCopy() const;
    //! setCurrentMachineStatus().
    void setCurrentMixerStatus(const MixerDriverStatusAnswer *status) { setCurrentMachineStatus(status); }
    //! setPreviousMachineStatus().
    void setPreviousMixerStatus(const MixerDriverStatusAnswer *status) { setPreviousMachineStatus(status); }
    //! A current mixer status is stored.
    bool hasMixerStatus() const { return currentMixerDriverStatus() != nullptr; }
    //! A previous mixer status is stored.
    bool hasPreviousMixerStatus() const { return previousMixerDriverStatus() != nullptr; }
};

#endif // NEMIXERDATA_H
