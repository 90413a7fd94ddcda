#include "FW_CalibrationProfiles.h"

#include "FW_XmlRpcReader.h"

#include <QtCore/QSet>

static const int s_profilesType = qRegisterMetaType<FW_CalibrationProfiles>("FW_CalibrationProfiles");

double FW_CalibrationProfiles::Profile::factorFor(double volume) const
{
    if (points.isEmpty())
        return 1.0;
    if (volume <= points.first().volume)
        return points.first().factor;
    for (int i = 1; i < points.size(); ++i) {
        const Point &a = points.at(i - 1);
        const Point &b = points.at(i);
        if (volume <= b.volume)
            return a.factor + (b.factor - a.factor) * (volume - a.volume) / (b.volume - a.volume);
    }
    return points.last().factor;
}

bool FW_CalibrationProfiles::Profile::operator==(const Profile &other) const
{
    return pumpModel == other.pumpModel && name == other.name && custom == other.custom && points == other.points;
}

void FW_CalibrationProfiles::setDefaults()
{
    for (int i = m_profiles.size() - 1; i >= 0; --i)
        if (!m_profiles.at(i).custom)
            m_profiles.removeAt(i);
    const Profile defaults[] = {
        {1, QStringLiteral("Piston 2 cc"), false, {{0.1, 1.08}, {1.0, 1.02}, {10.0, 1.0}}},
        {2, QStringLiteral("Piston 5 cc"), false, {{0.5, 1.05}, {5.0, 1.01}, {50.0, 1.0}}},
        {3, QStringLiteral("Gear G1"), false, {{1.0, 1.10}, {20.0, 1.03}, {200.0, 1.0}}},
    };
    for (const Profile &profile : defaults)
        setProfile(profile);
}

bool FW_CalibrationProfiles::setProfile(const Profile &profile)
{
    if (profile.pumpModel < 1)
        return false;
    for (int i = 1; i < profile.points.size(); ++i)
        if (profile.points.at(i).volume <= profile.points.at(i - 1).volume)
            return false;
    const int index = indexOf(profile.pumpModel, profile.custom);
    if (index >= 0)
        m_profiles[index] = profile;
    else
        m_profiles.append(profile);
    return true;
}

bool FW_CalibrationProfiles::removeProfile(int pumpModel, bool custom)
{
    const int index = indexOf(pumpModel, custom);
    if (index < 0)
        return false;
    m_profiles.removeAt(index);
    return true;
}

const FW_CalibrationProfiles::Profile *FW_CalibrationProfiles::profile(int pumpModel, bool custom) const
{
    const int index = indexOf(pumpModel, custom);
    return index >= 0 ? &m_profiles.at(index) : nullptr;
}

const FW_CalibrationProfiles::Profile *FW_CalibrationProfiles::activeProfile(int pumpModel) const
{
    const Profile *custom = profile(pumpModel, true);
    return custom ? custom : profile(pumpModel, false);
}

int FW_CalibrationProfiles::numOfPumps() const
{
    QSet<int> pumps;
    for (const Profile &p : m_profiles)
        pumps.insert(p.pumpModel);
    return pumps.size();
}

FW_CalibrationProfiles FW_CalibrationProfiles::getFilteredProfiles(bool custom, bool defaults) const
{
    FW_CalibrationProfiles filtered;
    for (const Profile &p : m_profiles)
        if (p.custom ? custom : defaults)
            filtered.m_profiles.append(p);
    return filtered;
}

int FW_CalibrationProfiles::indexOf(int pumpModel, bool custom) const
{
    for (int i = 0; i < m_profiles.size(); ++i)
        if (m_profiles.at(i).pumpModel == pumpModel && m_profiles.at(i).custom == custom)
            return i;
    return -1;
}

XmlRpc::XmlRpcValue FW_CalibrationProfiles::toXmlRpcValue() const
{
    XmlRpc::XmlRpcValue value;
    XmlRpc::XmlRpcValue &profiles = value["profiles"];
    profiles.setSize(0);
    for (int i = 0; i < m_profiles.size(); ++i) {
        const Profile &p = m_profiles.at(i);
        XmlRpc::XmlRpcValue &entry = profiles[i];
        entry["pump"] = p.pumpModel;
        entry["name"] = p.name.toStdString();
        entry["custom"] = p.custom;
        XmlRpc::XmlRpcValue &points = entry["points"];
        points.setSize(0);
        for (int j = 0; j < p.points.size(); ++j) {
            points[j]["volume"] = p.points.at(j).volume;
            points[j]["factor"] = p.points.at(j).factor;
        }
    }
    return value;
}

FW_CalibrationProfiles FW_CalibrationProfiles::fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok)
{
    FW_XmlRpcReader reader(value);
    FW_CalibrationProfiles result;
    const XmlRpc::XmlRpcValue &profiles = reader.array("profiles");
    for (int i = 0; i < profiles.size() && reader.ok(); ++i) {
        FW_XmlRpcReader entry(profiles[i]);
        Profile p;
        p.pumpModel = entry.toInt("pump");
        p.name = entry.toString("name", QString());
        p.custom = entry.toBool("custom", false);
        const XmlRpc::XmlRpcValue &points = entry.array("points");
        for (int j = 0; j < points.size() && entry.ok(); ++j) {
            FW_XmlRpcReader point(points[j]);
            p.points.append({point.toDouble("volume"), point.toDouble("factor")});
            entry.require(point.ok() && p.points.last().factor > 0.0);
        }
        // A second profile for the same pump and kind is malformed, not an update.
        reader.require(entry.ok() && result.indexOf(p.pumpModel, p.custom) < 0 && result.setProfile(p));
    }
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? result : FW_CalibrationProfiles();
}
