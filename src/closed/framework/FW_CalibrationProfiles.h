#ifndef FW_CALIBRATIONPROFILES_H
#define FW_CALIBRATIONPROFILES_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>
#include <QtCore/QString>

//! The calibration profiles of a driver's pump models. Each pump model has a
//! default profile (from the factory) and may have a custom one (measured on
//! site) that takes precedence. A profile maps dosed volumes to the factor
//! that corrects the nominal pump stroke.
class AXOCOMM_EXPORT FW_CalibrationProfiles
{
public:
    //! One point of a profile: the factor for a dispensed volume.
    struct Point
    {
        double volume = 0.0; //!< cc
        double factor = 1.0; //!< multiplies the nominal pump stroke
        //! Equal in every field.
        bool operator==(const Point &other) const { return volume == other.volume && factor == other.factor; }
    };

    //! The calibration curve of a pump model.
    struct AXOCOMM_EXPORT Profile
    {
        int pumpModel = 0; //!< the pump model the profile is for (1 or above)
        QString name; //!< readable name
        bool custom = false; //!< set by the user rather than built in
        QList<Point> points; //!< ascending volumes
        //! The factor for a volume, interpolated linearly between points and
        //! held at the first and last one; 1.0 without points.
        double factorFor(double volume) const;
        //! Equal in every field.
        bool operator==(const Profile &other) const;
        //! The negation of operator==.
        bool operator!=(const Profile &other) const { return !(*this == other); }
    };

    FW_CalibrationProfiles() = default;

    //! Replaces the default profiles by the built-in ones; custom profiles stay.
    void setDefaults();
    //! Removes every profile.
    void clear() { m_profiles.clear(); }
    //! Whether there is no profile.
    bool isEmpty() const { return m_profiles.isEmpty(); }

    //! All profiles.
    QList<Profile> profiles() const { return m_profiles; }
    //! Adds the profile or replaces the one of the same pump model and kind.
    //! False for a pump model below 1 or volumes that do not ascend.
    bool setProfile(const Profile &profile);
    //! Removes the profile of that pump model and kind; false when there is none.
    bool removeProfile(int pumpModel, bool custom);
    //! The profile of that pump model and kind; null when there is none.
    const Profile *profile(int pumpModel, bool custom) const;
    //! The custom profile of a pump model, else its default one; null when it has none.
    const Profile *activeProfile(int pumpModel) const;
    //! Number of distinct pump models with a profile.
    int numOfPumps() const;
    //! A copy holding only the custom and/or the default profiles.
    FW_CalibrationProfiles getFilteredProfiles(bool custom, bool defaults) const;

    //! Equal in every field.
    bool operator==(const FW_CalibrationProfiles &other) const { return m_profiles == other.m_profiles; }
    //! The negation of operator==.
    bool operator!=(const FW_CalibrationProfiles &other) const { return !(*this == other); }

    //! {"profiles": [{"pump": int, "name": string, "custom": bool,
    //!                "points": [{"volume": double, "factor": double}]}]}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static FW_CalibrationProfiles fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int indexOf(int pumpModel, bool custom) const;

    QList<Profile> m_profiles;
};

Q_DECLARE_METATYPE(FW_CalibrationProfiles)

#endif // FW_CALIBRATIONPROFILES_H
