#pragma once
// Opening an address with the system's web browser, as the shell's "open" verb does.
#include <string>

namespace pk {

// `url` is Windows-1252 text. Only web addresses are handed on ("http://" or "https://"), so
// a theme's text can never name a program or a local file. True when the system took it.
bool OpenInBrowser(const std::string& url);

}  // namespace pk
