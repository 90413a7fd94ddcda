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
    NEDispenserData();
    explicit NEDispenserData(int number);
    NEDispenserData(int number, const FW_ErrorList &errors);
    NEDispenserData(const NEDispenserData &other);
    NEDispenserData &operator=(const NEDispenserData &other);
    ~NEDispenserData() override;

    NEDispenserData *clone() const override;

    //! The machine record's copy plus clones of the weight answer and the
    //! water change status.
    void copy(const NEDispenserData &other);

    //! The machine record comparison; weight and water change status are not compared.
    bool operator==(const NEDispenserData &other) const { return NEMachineData::operator==(other); }
    bool operator!=(const NEDispenserData &other) const { return !(*this == other); }

    //! With allFields, setMachineDefaults() first; always drops the weight
    //! answer and the water change status.
    void setDefaults(bool allFields);

    // Driver status answers as dispenser answers (null when the stored
    // answer is missing or of another kind).
    const DispenserDriverStatusAnswer *currentDispenserDriverStatus() const;
    const DispenserDriverStatusAnswer *previousDispenserDriverStatus() const;
    std::unique_ptr<DispenserDriverStatusAnswer> currentDispenserDriverStatusCopy() const;
    std::unique_ptr<DispenserDriverStatusAnswer> previousDispenserDriverStatusCopy() const;
    void setCurrentDispenserStatus(const DispenserDriverStatusAnswer *status) { setCurrentMachineStatus(status); }
    void setPreviousDispenserStatus(const DispenserDriverStatusAnswer *status) { setPreviousMachineStatus(status); }
    bool hasDispenserStatus() const { return currentDispenserDriverStatus() != nullptr; }
    bool hasPreviousDispenserStatus() const { return previousDispenserDriverStatus() != nullptr; }

    // Scale weight
    const WeightAnswer *weightAnswer() const { return m_weightAnswer.get(); }
    std::unique_ptr<WeightAnswer> weightAnswerCopy() const;
    //! Stores a clone of the answer, or none for null.
    void setWeightAnswer(const WeightAnswer *answer);

    // Ultrasonic cleaner water
    const UssWaterChangeStatus *ussWaterChangeStatus() const { return m_ussWaterChangeStatus.get(); }
    std::unique_ptr<UssWaterChangeStatus> ussWaterChangeStatusCopy() const;
    void setUssWaterChangeStatus(const UssWaterChangeStatus &status);

private:
    std::unique_ptr<WeightAnswer> m_weightAnswer;
    std::unique_ptr<UssWaterChangeStatus> m_ussWaterChangeStatus;
};

#endif // NEDISPENSERDATA_H
