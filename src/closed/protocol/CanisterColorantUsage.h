#ifndef CANISTERCOLORANTUSAGE_H
#define CANISTERCOLORANTUSAGE_H

//! Tag of the colorant-usage request that selects by canister number
//! (GetColorantUsageStatsCmd).
struct CanisterColorantUsage
{
};

#endif // CANISTERCOLORANTUSAGE_H
