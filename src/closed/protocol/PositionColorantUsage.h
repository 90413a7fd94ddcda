#ifndef POSITIONCOLORANTUSAGE_H
#define POSITIONCOLORANTUSAGE_H

//! Tag of the colorant-usage request that selects by circuit position
//! (GetColorantUsageStatsCmd).
struct PositionColorantUsage
{
};

#endif // POSITIONCOLORANTUSAGE_H
