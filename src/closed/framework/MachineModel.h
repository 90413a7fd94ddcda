#ifndef MACHINEMODEL_H
#define MACHINEMODEL_H

#include <QtCore/QMetaType>

//! The machine models this software knows. A configuration may carry other
//! numbers (machines of a newer software generation); FW_Machine::isKnownModel
//! tells them apart. -1 stands for "no machine".
enum MachineModel : int {
    UnknownModel = -1,
    // Dispensers
    ModelDX16 = 1,   //!< bench dispenser, 16 circuits, one motor per pump
    ModelDX24 = 2,   //!< floor dispenser, 24 circuits, one motor per pump
    ModelDX32 = 3,   //!< industrial dispenser, 32 circuits
    ModelTX12 = 4,   //!< 12 circuits driven by one motor through a single transmission
    ModelGX16 = 5,   //!< gravimetric dispenser, 16 circuits, software-driven dosing motors
    // Mixers
    ModelMXGyro = 20,   //!< gyroscopic mixer
    ModelMXShaker = 21, //!< vibrating shaker
    // Scales
    ModelSC6 = 40,  //!< 6 kg scale
    ModelSC30 = 41  //!< 30 kg scale
};

Q_DECLARE_METATYPE(MachineModel)

#endif // MACHINEMODEL_H
