#ifndef FW_SCALE_H
#define FW_SCALE_H

#include "AXOCommGlobal.h"
#include "FW_Machine.h"

#include <QtCore/QMetaType>

//! A scale: its capacity and the smallest step it reads, both in grams.
class AXOCOMM_EXPORT FW_Scale : public FW_Machine
{
public:
    //! The scale of that machine number.
    explicit FW_Scale(int number = 0);

    FW_Scale *clone() const override { return new FW_Scale(*this); }

    //! Heaviest load, grams.
    double capacity() const { return m_capacity; }
    //! Sets capacity().
    void setCapacity(double grams) { m_capacity = grams; }
    //! Smallest step the scale reads, grams.
    double resolution() const { return m_resolution; }
    //! Sets resolution().
    void setResolution(double grams) { m_resolution = grams; }

    //! The machine members plus {"capacity": double, "resolution": double}
    XmlRpc::XmlRpcValue toXmlRpcValue() const override;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static FW_Scale fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

protected:
    bool isEqual(const FW_Machine &other) const override;

private:
    double m_capacity = 6000.0;
    double m_resolution = 0.01;
};

Q_DECLARE_METATYPE(FW_Scale)

#endif // FW_SCALE_H
