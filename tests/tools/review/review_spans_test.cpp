#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/review/review_spans.h"

using namespace flightreplay;
using review::Span;

// Each sample stands until the next one, at most 2 s; spans shorter than
// asked are dropped, those closer than span.merge (5 s) are one, with the
// worst value met; a sample outside the windows ends a span.
TEST(ReviewSpans, SamplesStandUntilTheNextAndNearSpansMerge)
{
    const review::Windows always = {{-INFINITY, INFINITY}};
    const review::Windows twoStretches = {{0, 2}, {20, 30}};
    struct Case {
        const char* what;
        flight::Series samples;
        const review::Windows* windows;
        review::Worst worst; // the condition: above 10 where the highest is worst, else below 3
        double minSeconds;
        std::vector<Span> spans;
    };
    const Case cases[] = {
        {"until the next", {{0, 5}, {1, 20}, {2, 5}}, &always, review::Worst::highest, 0, {{1, 2, 20}}},
        {"at most 2 s", {{0, 20}, {10, 5}}, &always, review::Worst::highest, 0, {{0, 2, 20}}},
        {"the last for its moment", {{0, 5}, {3, 20}}, &always, review::Worst::highest, 0, {{3, 3, 20}}},
        {"too short", {{0, 20}, {0.5, 5}}, &always, review::Worst::highest, 1, {}},
        {"long enough", {{0, 20}, {0.5, 20}, {1, 5}}, &always, review::Worst::highest, 1, {{0, 1, 20}}},
        {"3 s apart: one", {{0, 20}, {1, 5}, {4, 30}, {5, 5}}, &always, review::Worst::highest, 0, {{0, 5, 30}}},
        {"5 s apart: two", {{0, 20}, {1, 5}, {6, 30}, {7, 5}}, &always, review::Worst::highest, 0, {{0, 1, 20}, {6, 7, 30}}},
        {"outside the windows", {{0, 20}, {1, 20}, {10, 20}, {20, 20}, {21, 5}}, &twoStretches, review::Worst::highest, 0,
         {{0, 3, 20}, {20, 21, 20}}},
        {"the lowest worst", {{0, 2}, {1, 1}, {2, 5}}, &always, review::Worst::lowest, 0, {{0, 2, 1}}},
    };
    for (const Case& c : cases) {
        const bool highest = c.worst == review::Worst::highest;
        const std::vector<Span> spans = review::spansWhere(
            c.samples, *c.windows, [highest](double v) { return highest ? v > 10 : v < 3; }, c.worst, c.minSeconds);
        ASSERT_EQ(spans.size(), c.spans.size()) << c.what;
        for (size_t i = 0; i < spans.size(); ++i) {
            EXPECT_DOUBLE_EQ(spans[i].start, c.spans[i].start) << c.what;
            EXPECT_DOUBLE_EQ(spans[i].end, c.spans[i].end) << c.what;
            EXPECT_DOUBLE_EQ(spans[i].value, c.spans[i].value) << c.what;
        }
    }
}
