#include "JsonText.h"

#include <cstdio>

namespace pelkano::web {

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || c == '<' || c == '>' || c == '&') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(byte));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string jsonStrings(const std::vector<std::string>& texts)
{
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        out.append(i > 0 ? "," : "").append(jsonString(texts[i]));
    return out + "]";
}

}  // namespace pelkano::web
