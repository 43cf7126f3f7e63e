#pragma once
// Text put into the HTML pages the programs write.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace flightreplay::tools {

// text with &, <, > and " written as HTML entities.
std::string htmlEscaped(const std::string& text);

// JSON text that can stand inside a script element: every < written as
// \u003c, so that no "</script>" or "<!--" in a string of it ends the element.
std::string scriptSafe(const std::string& json);

// The template with each marker replaced by its text: the markers in the
// order they stand in it, each once; a marker not found is passed over.
// Nothing put in is searched for a marker.
std::string filledTemplate(std::string_view page, const std::vector<std::pair<std::string, std::string_view>>& fills);

} // namespace flightreplay::tools
