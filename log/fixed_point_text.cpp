#include "log/fixed_point_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr double POWERS_OF_TEN[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr uint64_t INTEGER_POWERS_OF_TEN[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

char* writePrinted(char* out, double value, int decimals)
{
    char text[FIXED_POINT_TEXT_MAX + 1];
    const int length = std::snprintf(text, sizeof text, "%.*f", decimals, value);
    const size_t size = length < 0 ? 0 : static_cast<size_t>(length) < sizeof text ? static_cast<size_t>(length) : sizeof text - 1;
    std::memcpy(out, text, size);
    return out + size;
}

// Writes the count last digits of value ending just before end, two at a
// time.
template <typename Unsigned>
void writeDigits(char* end, Unsigned value, int count)
{
    static const char PAIRS[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                "8081828384858687888990919293949596979899";
    for (; count >= 2; count -= 2) {
        const size_t pair = static_cast<size_t>(value % 100) * 2;
        value /= 100;
        *--end = PAIRS[pair + 1];
        *--end = PAIRS[pair];
    }
    if (count > 0)
        *--end = static_cast<char>('0' + value % 10);
}

int digitCount(uint64_t value)
{
    int count = 1;
    for (uint64_t limit = 10; count < 20 && value >= limit; limit *= 10)
        ++count;
    return count;
}

} // namespace

char* writeFixedPoint(char* out, double value, int decimals)
{
    if (decimals < 0 || decimals > 9)
        return writePrinted(out, value, decimals);
    // Below 2^52 the product is within half an ulp of the exact one and its
    // integer and fraction parts are exact; unless a half lies that close,
    // rounding it rounds the exact value the same way. The rest (ties, huge
    // values, NaN) goes to printf itself.
    const double scaled = value * POWERS_OF_TEN[decimals];
    if (!(std::fabs(scaled) < 0x1p52))
        return writePrinted(out, value, decimals);
    const double truncated = static_cast<double>(static_cast<int64_t>(scaled));
    const double below = truncated > scaled ? truncated - 1.0 : truncated;
    const double fraction = scaled - below;
    if (std::fabs(fraction - 0.5) <= (std::fabs(scaled) + 1.0) * 0x1p-50)
        return writePrinted(out, value, decimals);
    const uint64_t magnitude = static_cast<uint64_t>(std::fabs(fraction > 0.5 ? below + 1.0 : below));
    const uint64_t scale = INTEGER_POWERS_OF_TEN[decimals];
    const uint64_t whole = magnitude / scale;

    char* p = out;
    if (std::signbit(value))
        *p++ = '-';
    const int wholeDigits = digitCount(whole);
    // Most numbers fit 32 bits, where dividing is cheaper.
    if (whole <= UINT32_MAX)
        writeDigits(p + wholeDigits, static_cast<uint32_t>(whole), wholeDigits);
    else
        writeDigits(p + wholeDigits, whole, wholeDigits);
    p += wholeDigits;
    if (decimals > 0) {
        *p++ = '.';
        writeDigits(p + decimals, static_cast<uint32_t>(magnitude - whole * scale), decimals);
        p += decimals;
    }
    return p;
}
