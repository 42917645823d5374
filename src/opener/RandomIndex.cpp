#include "opener/RandomIndex.h"

#include "base/Clock.h"
#include "base/RandomSource.h"

#include <cmath>

double RandomIndex(RandomSource& random, const Clock& clock, int count) {
    random.reseed(clock.secondsSinceMidnight());
    // r < 1 keeps r * count below count for every count a list can hold (below 2^53), so the
    // result never passes the last entry.
    return std::floor(random.next() * count) + 1;
}
