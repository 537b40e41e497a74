#include "shell/zrcmdline.h"

#include <array>
#include <string_view>

#include "core/zrconst.h"
#include "core/zrmisc.h"

namespace pk {

bool ParsePort(const std::string& text, int& port) {
    const auto n = ParseInt(text);
    if (!n || *n < 1 || *n > 65535)
        return false;
    port = *n;
    return true;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (arguments.empty())
        return line;
    static constexpr std::array<std::pair<std::string_view, CommandLineOption>, 5> options = {{
        {"-ms", CommandLineOption::MasterServer},
        {"-connect", CommandLineOption::Connect},
        {"-showver", CommandLineOption::ShowVersions},
        {"-showverlogin", CommandLineOption::ShowVersionsLogin},
        {"-nohrtimer", CommandLineOption::NoHighResTimer},
    }};
    const std::string word = LowerCase(arguments[0]);
    for (const auto& [name, option] : options) {
        if (word == name) {
            line.option = option;
            break;
        }
    }
    if (line.option == CommandLineOption::None)
        return line;
    line.first = arguments.size() > 1 ? arguments[1] : std::string();
    line.second = arguments.size() > 2 ? arguments[2] : std::string();
    if (line.option == CommandLineOption::MasterServer && !ParsePort(line.second, line.port))
        line.port = DefaultMasterServerPort;
    return line;
}

}  // namespace pk
