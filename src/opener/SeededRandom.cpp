#include "opener/SeededRandom.h"

#include <bit>
#include <random>

namespace {

std::uint64_t splitMix64(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

} // namespace

SeededRandom::SeededRandom() {
    std::random_device device;
    std::uint64_t seed = (std::uint64_t(device()) << 32) ^ device();
    for (std::uint64_t& word : state_)
        word = splitMix64(seed);
}

void SeededRandom::reseed(double seed) {
    std::uint64_t mix = std::bit_cast<std::uint64_t>(seed) ^ nextBits();
    for (std::uint64_t& word : state_)
        word ^= splitMix64(mix);
    if ((state_[0] | state_[1] | state_[2] | state_[3]) == 0)
        state_[0] = 1;
}

double SeededRandom::next() {
    return static_cast<double>(nextBits() >> 11) * 0x1.0p-53;
}

std::uint64_t SeededRandom::nextBits() {
    const std::uint64_t result = std::rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = std::rotl(state_[3], 45);
    return result;
}
