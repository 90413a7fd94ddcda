#ifndef FORMULATEXT_H
#define FORMULATEXT_H

#include <AXOComm/AXOComm.h>

#include <QtCore/QString>

//! A formula as the operator types it: "position:amount" pairs separated by
//! commas or blanks, amounts in cc with a dot as decimal separator, e.g.
//! "1:2.5, 3:1.5 7:4".
class FormulaText
{
public:
    //! At most this many circuits dose at the same time.
    static constexpr int kParallelCircuits = 4;

    //! The formula, one ingredient per pair (the circuit's own colorant);
    //! false with the reason in error when the text is not a formula.
    static bool parse(const QString &text, Formula &formula, QString *error);
    //! The formula's ingredients back as text, channel after channel.
    static QString format(const Formula &formula);
};

#endif // FORMULATEXT_H
