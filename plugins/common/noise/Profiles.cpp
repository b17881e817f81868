#include "Profiles.h"

#include <cmath>

namespace kfm::noise {

namespace {

double smoothStep(double u) {
    return 3 * u * u - 2 * u * u * u;
}

} // namespace

const std::array<double, kSineTableSize>& SineTable() {
    static const std::array<double, kSineTableSize> table = [] {
        std::array<double, kSineTableSize> t{};
        for (int i = 0; i < kSineTableSize; ++i)
            t[i] = std::sin(i * 0.01);
        return t;
    }();
    return table;
}

int RingProfile(int position) {
    const double x = static_cast<double>(position) * 4 / 512.0;
    const double t = x - std::floor(x);
    if (t < 0.83)
        return static_cast<int>(255 * smoothStep(t / 0.83));
    return static_cast<int>(255 * (1 - smoothStep((t - 0.83) / 0.17)));
}

} // namespace kfm::noise
