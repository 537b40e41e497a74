#include <QApplication>
#include <cstdio>
#include <exception>

#include "editor/ui/zrform1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pelkorin Theme Editor");
    try {
        std::vector<std::string> args;
        for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
        // The editor keeps its history, work copy and previews beside itself.
        const std::filesystem::path folder = QCoreApplication::applicationDirPath().toStdString();
        pk::KledAudio audio;
        pk::TForm1 form(folder, audio);
        form.FormCreate(args);
        form.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kled: %s\n", e.what());
        return 1;
    }
}
