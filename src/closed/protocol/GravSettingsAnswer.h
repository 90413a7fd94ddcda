#ifndef GRAVSETTINGSANSWER_H
#define GRAVSETTINGSANSWER_H

#include "CircuitGravSettings.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_GRAV_SETTINGS": {"circuits": [CircuitGravSettings
//! struct]}, in position order.
class AXOCOMM_EXPORT GravSettingsAnswer : public ValueAnswerT<GravSettingsAnswer, QList<CircuitGravSettings>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "circuits";

    using ValueAnswerT::ValueAnswerT;

    //! The circuits' settings, in position order.
    QList<CircuitGravSettings> circuitsGravSettings() const { return value(); }

    QString answerName() const override { return QStringLiteral("GravSettingsAnswer"); }
};

#endif // GRAVSETTINGSANSWER_H
