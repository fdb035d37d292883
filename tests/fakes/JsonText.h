#pragma once

// Shared by the fake programs: a C string as a JSON string literal, for their call records.
#include <cstdio>
#include <string>

inline std::string jsonString(const char *text)
{
    std::string out = "\"";
    for (const unsigned char *c = reinterpret_cast<const unsigned char *>(text ? text : ""); *c; ++c) {
        if (*c == '"' || *c == '\\') {
            out += '\\';
            out += static_cast<char>(*c);
        } else if (*c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", *c);
            out += escaped;
        } else {
            out += static_cast<char>(*c);
        }
    }
    return out + "\"";
}
