#include "tools/studio/page/page_document.h"

#include <utility>
#include <vector>

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
    const std::string json = scriptSafeJson(data);
    const std::string escapedTitle = htmlEscaped(title);
    const std::pair<std::string, std::string_view> fills[] = {
        {"{{TITLE}}", escapedTitle},
        {"/*{{STYLE}}*/", pageResource("page.css")},
        {"{{DATA}}", json},
        {"/*{{THREE}}*/", pageResource("three.min.js")},
        {"/*{{ORBIT_CONTROLS}}*/", pageResource("OrbitControls.js")},
        {"/*{{SCRIPTS}}*/", scripts},
    };
    // One pass over the template, the markers in the order they stand in it:
    // nothing put in is searched for a marker.
    const std::string_view page = pageResource("page.html");
    std::string out;
    out.reserve(page.size() + json.size() + 1200000);
    size_t from = 0;
    for (const auto& [marker, with] : fills) {
        const size_t at = page.find(marker, from);
        if (at == std::string_view::npos)
            continue;
        out.append(page.substr(from, at - from));
        out.append(with);
        from = at + marker.size();
    }
    out.append(page.substr(from));
    return out;
}

} // namespace flightreplay::page
