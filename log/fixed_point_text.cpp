#include "log/fixed_point_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr double POWERS_OF_TEN[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr uint64_t INTEGER_POWERS_OF_TEN[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

void appendPrinted(std::string& out, double value, int decimals)
{
    char text[400];
    const int length = std::snprintf(text, sizeof text, "%.*f", decimals, value);
    if (length > 0)
        out.append(text, static_cast<size_t>(length) < sizeof text ? static_cast<size_t>(length) : sizeof text - 1);
}

} // namespace

void appendFixedPoint(std::string& out, double value, int decimals)
{
    if (decimals < 0 || decimals > 9) {
        appendPrinted(out, value, decimals);
        return;
    }
    // Below 2^52 the product is within half an ulp of the exact one and its
    // integer and fraction parts are exact; unless a half lies that close,
    // rounding it rounds the exact value the same way. The rest (ties, huge
    // values, NaN) goes to printf itself.
    const double scaled = value * POWERS_OF_TEN[decimals];
    if (!(std::fabs(scaled) < 0x1p52)) {
        appendPrinted(out, value, decimals);
        return;
    }
    const double below = std::floor(scaled);
    const double fraction = scaled - below;
    if (std::fabs(fraction - 0.5) <= (std::fabs(scaled) + 1.0) * 0x1p-50) {
        appendPrinted(out, value, decimals);
        return;
    }
    const double nearest = fraction > 0.5 ? below + 1.0 : below;
    const uint64_t magnitude = static_cast<uint64_t>(std::fabs(nearest));
    const uint64_t scale = INTEGER_POWERS_OF_TEN[decimals];

    char text[32];
    char* end = text + sizeof text;
    char* p = end;
    uint64_t fractionDigits = magnitude % scale;
    for (int i = 0; i < decimals; ++i) {
        *--p = static_cast<char>('0' + fractionDigits % 10);
        fractionDigits /= 10;
    }
    if (decimals > 0)
        *--p = '.';
    uint64_t whole = magnitude / scale;
    do {
        *--p = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    if (std::signbit(value))
        *--p = '-';
    out.append(p, static_cast<size_t>(end - p));
}
