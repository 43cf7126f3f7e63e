#include "tools/studio/page/page_document.h"

#include <utility>
#include <vector>

#include "tools/common/html_text.h"

namespace flightreplay::page {

extern const std::pair<const char*, std::string_view> embeddedResources[];
extern const int embeddedResourceCount;

namespace {

// The page's scripts, in the order they run; they share one scope.
const char* const PAGE_SCRIPTS[] = {"data.js", "values.js", "ground.js", "flights.js",
                                    "cameras.js", "timeline.js", "main.js"};

} // namespace

std::string_view pageResource(const std::string& name)
{
    for (int i = 0; i < embeddedResourceCount; ++i)
        if (name == embeddedResources[i].first)
            return embeddedResources[i].second;
    return {};
}

std::string htmlEscaped(const std::string& text)
{
    return tools::htmlEscaped(text);
}

std::string scriptSafeJson(const nlohmann::json& data)
{
    return tools::scriptSafe(data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

std::string pageDocument(const std::string& title, const nlohmann::json& data)
{
    std::string scripts;
    for (const char* name : PAGE_SCRIPTS) {
        scripts += pageResource(name);
        scripts += '\n';
    }
    const std::string json = scriptSafeJson(data);
    const std::string escapedTitle = htmlEscaped(title);
    return tools::filledTemplate(pageResource("page.html"), {
        {"{{TITLE}}", escapedTitle},
        {"/*{{STYLE}}*/", pageResource("page.css")},
        {"{{DATA}}", json},
        {"/*{{THREE}}*/", pageResource("three.min.js")},
        {"/*{{ORBIT_CONTROLS}}*/", pageResource("OrbitControls.js")},
        {"/*{{SCRIPTS}}*/", scripts},
    });
}

} // namespace flightreplay::page
