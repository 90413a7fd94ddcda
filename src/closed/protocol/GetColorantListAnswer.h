#ifndef GETCOLORANTLISTANSWER_H
#define GETCOLORANTLISTANSWER_H

#include "ColorantsPOSList.h"
#include "ProtoAnswerT.h"

#include <QtCore/QList>

//! The answer to "GET_COLORANT_LIST": the dispenser's colorants with the positions holding each ({"colorants": [ColorantsPOSList struct]}).
class AXOCOMM_EXPORT GetColorantListAnswer : public ValueAnswerT<GetColorantListAnswer, QList<ColorantsPOSList>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "colorants";

    using ValueAnswerT::ValueAnswerT;

    //! The colorants with their positions.
    QList<ColorantsPOSList> colorantList() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetColorantListAnswer"); }
};

#endif // GETCOLORANTLISTANSWER_H
