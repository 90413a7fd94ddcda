#ifndef GETCOLORANTUSAGESTATSANSWER_H
#define GETCOLORANTUSAGESTATSANSWER_H

#include "ColorantUsageDispStats.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_COL_USAGE_STATS": the usage of the selected circuits
//! in position order ({"usage": [colorant usage struct]}).
class AXOCOMM_EXPORT GetColorantUsageStatsAnswer
    : public ValueAnswerT<GetColorantUsageStatsAnswer, QList<ColorantUsageDispStats>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "usage";

    using ValueAnswerT::ValueAnswerT;

    //! The usage entries, in position order.
    QList<ColorantUsageDispStats> colorantUsageDispStats() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetColorantUsageStatsAnswer"); }
};

#endif // GETCOLORANTUSAGESTATSANSWER_H
