#ifndef PROTOCOMMANDFACTORY_H
#define PROTOCOMMANDFACTORY_H

#include "AXOCommGlobal.h"

#include <QtCore/QList>
#include <QtCore/QVariant>

class FW_Machine;
class ProtoCommand;

//! Builds the protocol command of a catalogue name from generic
//! parameters: the command class of its own where there is one (a TINT
//! becomes a TintCmd carrying its Formula), a plain ProtoCommand otherwise.
class AXOCOMM_EXPORT ProtoCommandFactory
{
public:
    //! A new command owned by the caller; null when the parameters do not
    //! fit the command (wrong types, values that cannot travel).
    static ProtoCommand *create(const QString &name, const QList<QVariant> &parameters, const FW_Machine *machine);
};

#endif // PROTOCOMMANDFACTORY_H
