// The client: the application object, the windows with their hosts (clientwindows.h), the
// start-up, the message loop.
#include <string>
#include <vector>

#include "clientwindows.h"
#include "core/zrconst.h"
#include "platform/cp1252.h"
#include "platform/termsignal.h"
#include "shell/ui/zrapplication.h"
#include "shell/zrshell.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(pk::QStringToCp1252(QString::fromLocal8Bit(argv[i])));
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    pk::TApplication app(argc, argv);
    QApplication::setApplicationName("Pelkorin2");
    pk::ProgramFolder = QCoreApplication::applicationDirPath().toStdString();

    int result = 1;
    {
        pk::ClientWindows windows;
        // Ctrl+C or a session's end closes the client in order, also while a message box of
        // the start-up is open: the loops return and the close runs as the windows go.
        pk::OnTerminationSignal([&app] { app.EndForSignal(); }, pk::TerminationGraceSeconds);
        if (pk::StartUp(Arguments(argc, argv)))
            result = app.Ending() ? 0 : app.exec();
    }
    return result;
}
