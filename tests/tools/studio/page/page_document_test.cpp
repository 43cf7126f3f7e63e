#include <gtest/gtest.h>

#include "tools/studio/page/page_document.h"
#include "tools/studio/page/page_ground.h"

using namespace flightreplay::page;

TEST(PageDocument, Base64OfKnownBytes)
{
    // The test vectors of RFC 4648.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},          {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {std::string("\xff\xfe", 2), "//4="},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(base64(bytes), text) << bytes;
}

TEST(PageDocument, DataCannotEndItsScriptElement)
{
    const nlohmann::json data = {{"text", "</script><!-- <b>"}, {"bad", std::string("a\xff" "b")}};
    const std::string json = scriptSafeJson(data);
    EXPECT_EQ(json.find('<'), std::string::npos) << json;
    const nlohmann::json back = nlohmann::json::parse(json);
    EXPECT_EQ(back["text"], "</script><!-- <b>");
    EXPECT_EQ(htmlEscaped("<a href=\"x\">&</a>"), "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;");
}

TEST(PageDocument, OneFileWithEverythingIn)
{
    const nlohmann::json data = {{"title", "x"}};
    const std::string page = pageDocument("A & B", data);
    EXPECT_NE(page.find("<title>A &amp; B - Flight Replay</title>"), std::string::npos);
    // three.js of Debian's libjs-three and its orbit controls, inlined.
    EXPECT_NE(page.find("REVISION=\"111\""), std::string::npos);
    EXPECT_NE(page.find("OrbitControls"), std::string::npos);
    EXPECT_NE(page.find(R"(<script type="application/json" id="flight-data">{"title":"x"}</script>)"), std::string::npos);
    // Every marker filled, nothing fetched from elsewhere.
    EXPECT_EQ(page.find("{{"), std::string::npos);
    for (const char* outside : {"src=\"http", "href=\"http", "src='http", "@import", "url(http"})
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    for (const char* script : {"main.js", "data.js", "ground.js", "timeline.js"})
        EXPECT_FALSE(pageResource(script).empty()) << script;
}
