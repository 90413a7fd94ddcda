#ifndef NEDISPENSERDATA_H
#define NEDISPENSERDATA_H

#include "AXOCommGlobal.h"
#include "DispenserDriverStatusAnswer.h"
#include "NEMachineData.h"
#include "UssWaterChangeStatus.h"
#include "WeightAnswer.h"

#include <memory>

//! The record of a dispenser (machine type 1): the machine record plus the
//! last scale weight answer and the water change status of the ultrasonic
//! nozzle cleaner. Number 0 is the driver's generic dispenser.
class AXOCOMM_EXPORT NEDispenserData : public NEMachineData
{
public:
    //! A record of dispenser {0, 1}, empty.
    NEDispenserData();
    //! An empty record of dispenser {number, 1}.
    explicit NEDispenserData(int number);
    //! The same with those errors.
    NEDispenserData(int number, const FW_ErrorList &errors);
    //! A deep copy (copy()).
    NEDispenserData(const NEDispenserData &other);
    //! A deep copy (copy()).
    NEDispenserData &operator=(const NEDispenserData &other);
    //! Frees the answers.
    ~NEDispenserData() override;

    //! A new deep copy, owned by the caller.
    NEDispenserData *clone() const override;

    //! The machine record's copy plus clones of the weight answer and the
    //! water change status.
    void copy(const NEDispenserData &other);

    //! The machine record comparison; weight and water change status are not compared.
    bool operator==(const NEDispenserData &other) const { return NEMachineData::operator==(other); }
    //! Not operator==().
    bool operator!=(const NEDispenserData &other) const { return !(*this == other); }

    //! With allFields, setMachineDefaults() first; always drops the weight
    //! answer and the water change status.
    void setDefaults(bool allFields);

    // Driver status answers as dispenser answers (null when the stored
    // answer is missing or of another kind).
    //! The current status, owned by the record.
    const DispenserDriverStatusAnswer *currentDispenserDriverStatus() const;
    //! The previous status, owned by the record.
    const DispenserDriverStatusAnswer *previousDispenserDriverStatus() const;
    //! A copy of the current status.
    std::unique_ptr<DispenserDriverStatusAnswer> currentDispenserDriverStatusCopy() const;
    //! A copy of the previous status.
    std::unique_ptr<DispenserDriverStatusAnswer> previousDispenserDriverStatusCopy() const;
    //! setCurrentMachineStatus().
    void setCurrentDispenserStatus(const DispenserDriverStatusAnswer *status) { setCurrentMachineStatus(status); }
    //! setPreviousMachineStatus().
    void setPreviousDispenserStatus(const DispenserDriverStatusAnswer *status) { setPreviousMachineStatus(status); }
    //! A current dispenser status is stored.
    bool hasDispenserStatus() const { return currentDispenserDriverStatus() != nullptr; }
    //! A previous dispenser status is stored.
    bool hasPreviousDispenserStatus() const { return previousDispenserDriverStatus() != nullptr; }

    // Scale weight
    //! The last weight, owned by the record; null when none.
    const WeightAnswer *weightAnswer() const { return m_weightAnswer.get(); }
    //! A copy of the last weight; null when none.
    std::unique_ptr<WeightAnswer> weightAnswerCopy() const;
    //! Stores a clone of the answer, or none for null.
    void setWeightAnswer(const WeightAnswer *answer);

    // Ultrasonic cleaner water
    //! The cleaner's water status, owned by the record; null when none.
    const UssWaterChangeStatus *ussWaterChangeStatus() const { return m_ussWaterChangeStatus.get(); }
    //! A copy of it; null when none.
    std::unique_ptr<UssWaterChangeStatus> ussWaterChangeStatusCopy() const;
    //! Stores a copy of the status.
    void setUssWaterChangeStatus(const UssWaterChangeStatus &status);

private:
    std::unique_ptr<WeightAnswer> m_weightAnswer;
    std::unique_ptr<UssWaterChangeStatus> m_ussWaterChangeStatus;
};

#endif // NEDISPENSERDATA_H
