#pragma once
// The page as one HTML file: the template of tools/studio/page/web with its style,
// three.js and its orbit controls (Debian's libjs-three, built into the
// program), the page's scripts and the flights' data put in, so that it
// needs no other file and no network.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace flightreplay::page {

// The file of that name built into the program: "three.min.js",
// "OrbitControls.js", "page.html", "page.css", "main.js", ...; empty when
// there is none.
std::string_view pageResource(const std::string& name);

// The whole page for data (see page_export.h for what it holds), titled.
std::string pageDocument(const std::string& title, const nlohmann::json& data);

// text with &, <, > and " written as HTML entities.
std::string htmlEscaped(const std::string& text);

// data as JSON that can stand inside a script element: every < written as
// \u003c, so that no "</script>" or "<!--" in a flight's message ends it;
// invalid UTF-8 in its strings replaced.
std::string scriptSafeJson(const nlohmann::json& data);

} // namespace flightreplay::page
