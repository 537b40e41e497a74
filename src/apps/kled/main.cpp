#include <QApplication>
#include <cstdio>
#include <exception>

#include "editor/ui/zrform1.h"
#include "editor/zraudio.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pelkorin Theme Editor");
    try {
        std::vector<std::string> args;
        for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
        // The editor keeps its history, work copy and previews beside itself.
        const std::filesystem::path folder = QCoreApplication::applicationDirPath().toStdString();
        // Without a device the editor runs on in silence.
        pk::OpenEditorAudio();
        auto sound = pk::MakeAudioSoundPlayer();
        auto midi = pk::MakeAudioMidiPlayer();
        int result = 0;
        {
            pk::TForm1 form(folder, pk::KledAudio{sound.get(), midi.get(), pk::AudioMpegLoader()});
            form.FormCreate(args);
            form.show();
            result = QApplication::exec();
        }
        midi.reset();
        pk::CloseEditorAudio();
        return result;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kled: %s\n", e.what());
        return 1;
    }
}
