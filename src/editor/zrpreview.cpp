#include "editor/zrpreview.h"

#include <algorithm>
#include <cctype>

#include "platform/atomicfile.h"

namespace pk {

namespace {

// A file type names the preview file: letters and digits only, so a library
// cannot make us write anywhere else.
bool SafeFileType(const std::string& type) {
    return !type.empty() && type.size() <= kKlbFileTypeSize &&
           std::all_of(type.begin(), type.end(),
                       [](unsigned char c) { return std::isalnum(c) != 0; });
}

}  // namespace

std::optional<std::string> EntryPayload(const TZRC& e, const std::filesystem::path& programFolder) {
    if (!e.heldFile.empty() && !(e.kind() == KlbKind::Music &&
                                 IsMusicPreviewFile(e.heldFile, programFolder, e.entry.fileType)))
        return ReadFileBytes(e.heldFile, kKlbMaxFileSize);
    if (!e.entry.image.empty())
        return e.entry.image;
    if (e.entry.imagePart.offset <= 0 || e.entry.imagePart.size <= 0)
        return std::nullopt;
    return ReadFileRange(e.SourceFile, e.entry.imagePart.offset, e.entry.imagePart.size);
}

bool MusicPreview::Mp3Playing() {
    // An unloaded player plays nothing.
    if (!mp3_ || !mp3_->Loaded())
        return false;
    try {
        return mp3_->GetPlayerMode() == kModePlaying;
    } catch (const TMPEGError&) {
        return false;
    }
}

void MusicPreview::Release() {
    if (midi_) {
        midi_->Stop();
        midi_->Close();
    }
    if (mp3_ && mp3_->Loaded()) {
        try {
            if (mp3_->IsOpen())
                mp3_->CloseStream();
        } catch (const TMPEGError&) {
        }
    }
}

MusicPreview::Outcome MusicPreview::Toggle(const TZRC& e, const KledDoc& doc) {
    if (e.kind() != KlbKind::Music)
        return Outcome::NotPlayed;
    if (midi_ && midi_->Playing()) {
        midi_->Stop();
        midi_->Close();
        return Outcome::Stopped;
    }
    if (Mp3Playing()) {
        try {
            mp3_->StopStream();
            mp3_->CloseStream();
        } catch (const TMPEGError&) {
        }
        return Outcome::Stopped;
    }
    const std::string& type = e.entry.fileType;
    // Only MIDI and MP3 have a player here. Any other type (Ogg, say) is told to the user and
    // written nowhere: a copy that no player opens would only be left behind beside the
    // program.
    if (type != "mid" && type != "mp3")
        return Outcome::CannotPreview;
    if (!SafeFileType(type))
        return Outcome::NotPlayed;
    const std::filesystem::path preview = doc.PreviewFile(type);
    std::optional<std::string> bytes = EntryPayload(e, doc.programFolder());
    // The preview may be playing from the file itself: then it stays.
    if (e.heldFile != preview) {
        if (!bytes)
            return Outcome::NotPlayed;
        Release();
        if (!WriteFileAtomic(preview, *bytes))
            return Outcome::NotPlayed;
    }
    if (type == "mid" && midi_) {
        if (midi_->IsOpen() && !midi_->Playing())
            midi_->Close();
        if (midi_->Open(preview) && midi_->Play())
            return Outcome::Started;
        return Outcome::NotPlayed;
    }
    if (type == "mp3" && mp3_ && mp3_->Loaded()) {
        try {
            if (mp3_->IsOpen() && mp3_->GetPlayerMode() == kModeStopped)
                mp3_->CloseStream();
            mp3_->SetStreamName(preview.string());
            mp3_->PlayStream();
            return Outcome::Started;
        } catch (const TMPEGError&) {
            return Outcome::NotPlayed;
        }
    }
    return Outcome::NotPlayed;
}

std::string CannotPreviewMessage(const std::string& fileType) {
    return "Music of the type \"" + fileType +
           "\" cannot be played in the editor; only \"mid\" and \"mp3\" music can.";
}

bool PlaySoundPreview(SoundPlayer* player, const TZRC& e, const KledDoc& doc) {
    if (!player || e.kind() != KlbKind::Sound)
        return false;
    std::optional<std::string> wav = EntryPayload(e, doc.programFolder());
    return wav && player->PlaySync(*wav);
}

}  // namespace pk
