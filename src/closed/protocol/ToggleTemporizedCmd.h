#ifndef TOGGLETEMPORIZEDCMD_H
#define TOGGLETEMPORIZEDCMD_H

#include "ProtoCommand.h"

//! "TOGGLE_TEMPORIZED": disables or enables the processes a dispenser runs
//! by itself on a timer (params = [disable, process mask, minutes]). The
//! mask says which processes (Process bits); minutes is how long disabled
//! processes stay off, 0 meaning until they are enabled again (ignored when
//! enabling).
class AXOCOMM_EXPORT ToggleTemporizedCmd : public ProtoCommand
{
public:
    //! Bits of the process mask.
    enum Process {
        Stirring = 1,
        Recirculation = 2,
        NozzleCleaning = 4,
        Humidifier = 8,
        ShelfMovement = 16
    };

    //! Disables (or enables) the processes of the mask, for that many minutes.
    ToggleTemporizedCmd(bool disable, int mask, int minutes)
        : ProtoCommand(QStringLiteral("TOGGLE_TEMPORIZED"), QList<QVariant>{disable, mask, minutes})
    {
    }
    //! Whether the processes are disabled.
    bool isDisabling() const { return parameters().value(0).toBool(); }
    //! The Process bits.
    int processMask() const { return parameters().value(1).toInt(); }
    //! How long disabled processes stay off; 0: until enabled again.
    int minutes() const { return parameters().value(2).toInt(); }
    ProtoCommand *clone() const override { return new ToggleTemporizedCmd(*this); }

    //! The processes that run on a timer in normal work.
    static int defaultProcessMask() { return Stirring | Recirculation | NozzleCleaning; }
    //! Every process that moves a part of the machine (all but the humidifier).
    static int disableAllMovementProcessesMask() { return Stirring | Recirculation | NozzleCleaning | ShelfMovement; }
    //! Every process.
    static int allProcessesMask() { return Stirring | Recirculation | NozzleCleaning | Humidifier | ShelfMovement; }
};

#endif // TOGGLETEMPORIZEDCMD_H
