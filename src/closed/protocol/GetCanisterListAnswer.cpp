#include "GetCanisterListAnswer.h"

#include "FW_Dispenser.h"

bool GetCanisterListAnswer::updateDispenser(FW_Dispenser &dispenser) const
{
    bool changed = false;
    for (const CanisterData &canister : value()) {
        const FW_Circuit *circuit = dispenser.circuit(canister.position());
        if (!circuit || circuit->level() == canister.level())
            continue;
        FW_Circuit updated = *circuit;
        updated.setLevel(canister.level());
        dispenser.setCircuit(updated);
        changed = true;
    }
    return changed;
}
