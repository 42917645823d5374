#pragma once

class Clock;
class RandomSource;

// A 1-based position among count entries, each equally likely: floor(r * count) + 1 for a fresh
// draw r in [0, 1), so 1 for a count of 0. The generator is reseeded from the time of day before
// the draw; the reseed folds into its state, so two picks within one clock tick still differ.
double RandomIndex(RandomSource& random, const Clock& clock, int count);
