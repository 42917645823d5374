#pragma once

// A generator of uniform reals in [0, 1) that can be reseeded.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Folds the seed into the running state: the same seed twice does not repeat a sequence.
    virtual void reseed(double seed) = 0;
    virtual double next() = 0;
};
