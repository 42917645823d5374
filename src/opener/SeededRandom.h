#pragma once

#include "base/RandomSource.h"

#include <cstdint>

// A 64-bit generator (xoshiro256**) whose reseed mixes the seed into the running state rather
// than replacing it, so two reseeds with the same time of day still give different draws.
class SeededRandom : public RandomSource {
public:
    SeededRandom();
    void reseed(double seed) override;
    double next() override;

private:
    std::uint64_t nextBits();
    std::uint64_t state_[4];
};
