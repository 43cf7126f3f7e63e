#include <gtest/gtest.h>

#include <tinyxml2.h>

#include "tools/kml/kml_parts.h"

namespace fk = flightreplay::kml;

TEST(KmlText, WhatALogWroteBecomesTextXmlCanHold)
{
    const struct {
        std::string in, out;
    } cases[] = {
        {"Takeoff detected", "Takeoff detected"},
        {"tab\there\r\n", "tab\there\r\n"},
        {std::string("bell\x07 nul\x00!", 11), "bell? nul?!"},
        {"h\xc3\xb6he 3\xe2\x80\xafm \xf0\x9f\x9b\xa9", "h\xc3\xb6he 3\xe2\x80\xafm \xf0\x9f\x9b\xa9"}, // ö, narrow space, plane
        {"cut \xc3", "cut ?"},                      // a lead byte at the end
        {"lone \x80\xbf", "lone ??"},               // continuation bytes alone
        {"long \xc0\xaf", "long ??"},               // '/' in two bytes
        {"surrogate \xed\xa0\x80", "surrogate ???"},
        {"beyond \xf4\x90\x80\x80", "beyond ????"}, // above U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(fk::xmlSafeText(c.in), c.out) << c.in;

    // Escaped on the way out, the same text when read back.
    tinyxml2::XMLPrinter out;
    fk::textElement(out, "name", "GPS <glitch> & \x01recovery");
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(out.CStr()), tinyxml2::XML_SUCCESS) << out.CStr();
    EXPECT_STREQ(doc.RootElement()->GetText(), "GPS <glitch> & ?recovery");
}
