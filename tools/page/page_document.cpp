#include "tools/page/page_document.h"

#include <utility>
#include <vector>

namespace flightreplay::page {

extern const std::pair<const char*, std::string_view> embeddedResources[];
extern const int embeddedResourceCount;

namespace {

// The page's scripts, in the order they run; they share one scope.
const char* const PAGE_SCRIPTS[] = {"data.js", "values.js", "ground.js", "flights.js",
                                    "cameras.js", "timeline.js", "main.js"};

std::string replaced(std::string text, const std::string& marker, std::string_view with)
{
    const size_t at = text.find(marker);
    if (at != std::string::npos)
        text.replace(at, marker.size(), with.data(), with.size());
    return text;
}

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
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string scriptSafeJson(const nlohmann::json& data)
{
    const std::string json = data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::string out;
    out.reserve(json.size());
    for (char c : json) {
        if (c == '<')
            out += "\\u003c";
        else
            out += c;
    }
    return out;
}

std::string pageDocument(const std::string& title, const nlohmann::json& data)
{
    std::string scripts;
    for (const char* name : PAGE_SCRIPTS) {
        scripts += pageResource(name);
        scripts += '\n';
    }
    std::string page(pageResource("page.html"));
    page = replaced(page, "{{TITLE}}", htmlEscaped(title));
    page = replaced(page, "/*{{STYLE}}*/", pageResource("page.css"));
    page = replaced(page, "/*{{THREE}}*/", pageResource("three.min.js"));
    page = replaced(page, "/*{{ORBIT_CONTROLS}}*/", pageResource("OrbitControls.js"));
    page = replaced(page, "/*{{SCRIPTS}}*/", scripts);
    // The data last: nothing in it is taken for a marker.
    return replaced(page, "{{DATA}}", scriptSafeJson(data));
}

} // namespace flightreplay::page
