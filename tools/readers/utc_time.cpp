#include "tools/readers/utc_time.h"

#include <cctype>

#include "tools/readers/text_field.h"

namespace flightreplay::readers {

namespace {

class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    bool digits(int count, int& value)
    {
        value = 0;
        for (int i = 0; i < count; ++i) {
            if (pos_ >= text_.size() || !std::isdigit(static_cast<unsigned char>(text_[pos_])))
                return false;
            value = value * 10 + (text_[pos_++] - '0');
        }
        return true;
    }
    bool take(char c)
    {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool atDigit() const
    {
        return pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]));
    }
    double fraction()
    {
        double value = 0.0;
        double scale = 0.1;
        while (atDigit()) {
            value += scale * (text_[pos_++] - '0');
            scale *= 0.1;
        }
        return value;
    }
    bool atEnd() const { return pos_ == text_.size(); }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

bool zoneOffset(Cursor& in, int& offsetSeconds)
{
    offsetSeconds = 0;
    if (in.atEnd() || in.take('Z') || in.take('z'))
        return in.atEnd();
    int sign = 0;
    if (in.take('+'))
        sign = 1;
    else if (in.take('-'))
        sign = -1;
    else
        return false;
    int hours = 0;
    int minutes = 0;
    if (!in.digits(2, hours))
        return false;
    if (!in.atEnd()) {
        in.take(':');
        if (!in.digits(2, minutes))
            return false;
    }
    if (hours > 18 || minutes > 59 || !in.atEnd())
        return false;
    offsetSeconds = sign * (hours * 3600 + minutes * 60);
    return true;
}

} // namespace

bool parseIsoTime(std::string_view text, double& epochSeconds)
{
    Cursor in(trimmed(text));
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!in.digits(4, year) || !in.take('-') || !in.digits(2, month) || !in.take('-') || !in.digits(2, day))
        return false;
    if (!in.take('T') && !in.take('t') && !in.take(' '))
        return false;
    if (!in.digits(2, hour) || !in.take(':') || !in.digits(2, minute) || !in.take(':') || !in.digits(2, second))
        return false;
    double fraction = 0.0;
    if (in.take('.') || in.take(',')) {
        if (!in.atDigit())
            return false;
        fraction = in.fraction();
    }
    int offset = 0;
    if (!zoneOffset(in, offset))
        return false;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return false;
    const int64_t days = daysFromCivil(year, month, day);
    epochSeconds = static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second - offset) + fraction;
    return true;
}

} // namespace flightreplay::readers
