// qaup <window id> <process id>: finishes an update of the client in the
// folder this program lies in (see qaup.h).
#include <QCoreApplication>

#include "apps/qaup/qaup.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    pk::qaup::Options options;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!pk::qaup::ParseArguments(arguments, options)) {
        pk::qaup::SystemEnvironment().Log("usage: qaup <window id> <process id>");
        return 2;
    }
    options.folder = std::filesystem::path(pk::ExecutablePath()).parent_path();
    const auto report = pk::qaup::RunUpdater(options, pk::qaup::SystemEnvironment());
    return report.outcome == pk::qaup::Outcome::Done && report.refused == 0 ? 0 : 1;
}
