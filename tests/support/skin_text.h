#pragma once
// Skin element texts written readably in tests: parameter lines and event scripts.
#include <initializer_list>
#include <string>

namespace pk::test {

// Parameter lines joined by CR; "name=value" becomes name LF value.
inline std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& l : lines) {
        if (!text.empty())
            text += '\r';
        const std::size_t eq = l.find('=');
        text += eq == std::string::npos ? l : l.substr(0, eq) + '\n' + l.substr(eq + 1);
    }
    return text;
}

// An event text: each line "event action [target]", fields separated by blanks.
inline std::string Script(std::initializer_list<std::string> lines) {
    std::string text;
    for (std::string l : lines) {
        if (!text.empty())
            text += '\r';
        for (char& c : l)
            if (c == ' ')
                c = '\n';
        text += l;
    }
    return text;
}

}  // namespace pk::test
