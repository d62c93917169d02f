#pragma once
// Text for the page's JavaScript: JSON strings that are safe anywhere in a page.
#include <string>
#include <vector>

namespace pelkano::web {

// The text as a JSON string, quoted; control characters and < > & escaped.
std::string jsonString(const std::string& text);
// ["a","b"]
std::string jsonStrings(const std::vector<std::string>& texts);

}  // namespace pelkano::web
