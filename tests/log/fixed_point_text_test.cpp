#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "log/fixed_point_text.h"

namespace {

std::string printed(double value, int decimals)
{
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string written(double value, int decimals)
{
    char text[FIXED_POINT_TEXT_MAX];
    return std::string(text, writeFixedPoint(text, value, decimals));
}

} // namespace

TEST(FixedPointText, WritesWhatPrintfWrites)
{
    const double cases[] = {0.0, -0.0, 1.0, -1.0, 0.5, 1.5, 2.5, -2.5, 0.125, 0.375, -0.125, 1.00005, 2.00005,
                            0.00005, -0.00004, -0.00005, 9.99995, 99999.99995, 0.1, 0.3, 2886.123456789,
                            -687.5000049, 1e-300, -1e-300, 4503599627370496.0, 4503599627370495.5, 1e15, -1e15,
                            1e22, 1.7976931348623157e308, std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                            std::nan("")};
    for (double value : cases)
        for (int decimals = 0; decimals <= 9; ++decimals)
            EXPECT_EQ(written(value, decimals), printed(value, decimals)) << value << " with " << decimals;

    // Halves, quarters and neighbours of decimal ties at every magnitude.
    std::mt19937_64 random(20);
    std::uniform_real_distribution<double> exponent(-12.0, 16.0);
    for (int i = 0; i < 60000; ++i) {
        const int decimals = static_cast<int>(random() % 10);
        double value = std::pow(10.0, exponent(random)) * (random() % 2 ? -1.0 : 1.0);
        if (i % 4 == 1)
            value = std::round(value * 1e4) / 1e4 + 0.00005;
        else if (i % 4 == 2)
            value = std::ldexp(std::round(std::ldexp(value, 8)), -8);
        else if (i % 4 == 3)
            value = std::nextafter(std::round(value * 1e5) / 1e5 + 0.000005, (random() % 2) ? 0.0 : 1e300);
        ASSERT_EQ(written(value, decimals), printed(value, decimals)) << value << " with " << decimals;
    }
}
