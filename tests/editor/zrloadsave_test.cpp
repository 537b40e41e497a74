// The editor's reading and writing of whole libraries: reference entries,
// payloads taken from imported files or left in the source, the default
// library, the busy panel and the work copy.
#include "editor/zrloadsave.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "core/bytestream.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

class LoadSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel_.ShowLoadingPanel = [this](bool show, const std::string& text) {
            shown_.push_back(show ? text : "-");
        };
        panel_.SetLoadingProgress = [this](int p) { progress_.push_back(p); };
    }
    std::filesystem::path Put(const std::string& name, const std::string& bytes) {
        std::filesystem::path f = dir_.Path() / name;
        std::ofstream(f, std::ios::binary) << bytes;
        return f;
    }
    // The editor's load and save, keeping the result's message for the checks.
    bool Load(const std::filesystem::path& file, std::vector<KlbEditEntry>& list, bool isReference,
              const KlbBusyPanel& panel = {}) {
        KlbResult result = LoadThemeLibrary(file, list, isReference, dir_.Path(), panel);
        message_ = result.message;
        return result.ok();
    }
    bool Write(const std::filesystem::path& file, std::vector<KlbEditEntry>& list,
               bool allowDefault, const KlbBusyPanel& panel = {}) {
        KlbResult result = WriteThemeLibrary(file, list, allowDefault, dir_.Path(), panel);
        message_ = result.message;
        return result.ok();
    }
    test::TempDir dir_;
    KlbBusyPanel panel_;
    std::vector<std::string> shown_;
    std::vector<int> progress_;
    std::string message_;
};

TEST_F(LoadSaveTest, SaveSkipsReferencesCountsThemAndReopensTheSame) {
    std::vector<KlbEditEntry> list;
    for (KlbEntry& e : test::BasicTheme()) list.push_back({std::move(e), {}, {}, false});
    list.insert(list.begin() + 1, {test::SoundEntry("ref", "*", test::MakeWav(2)), {}, {}, true});
    const auto file = dir_.Path() / "Mine.klb";
    ASSERT_TRUE(Write(file, list, false, panel_)) << message_;
    EXPECT_EQ(shown_, (std::vector<std::string>{"Writing Mine.klb...", "-"}));
    ASSERT_EQ(progress_.size(), list.size());
    EXPECT_EQ(progress_.front(), 0);
    EXPECT_EQ(progress_.back(), 100);

    std::string saved = ReadKlbFile(file).value();
    EXPECT_EQ(GetI32(saved, 3), static_cast<int32_t>(list.size()));  // references counted
    EXPECT_EQ(ReadKlbFile(dir_.Path() / kWorkCopyName), saved);
    EXPECT_EQ(list[0].SourceFile, dir_.Path() / kWorkCopyName);
    EXPECT_TRUE(list[1].SourceFile.empty());  // the reference is untouched

    std::vector<KlbEditEntry> back;
    shown_.clear();
    progress_.clear();
    ASSERT_TRUE(Load(file, back, false, panel_));
    EXPECT_EQ(shown_, (std::vector<std::string>{"Loading Mine.klb...", "-"}));
    // Entries read over the header's count, which includes the reference.
    EXPECT_EQ(progress_.back(), std::lround(100.0 * (list.size() - 1) / list.size()));
    ASSERT_EQ(back.size(), list.size() - 1);
    for (size_t i = 0, k = 0; i < list.size(); ++i) {
        if (list[i].IsReference)
            continue;
        EXPECT_EQ(back[k].entry, list[i].entry) << list[i].entry.name;
        EXPECT_EQ(back[k].SourceFile, dir_.Path() / kWorkCopyName);
        EXPECT_FALSE(back[k].IsReference);
        ++k;
    }
    std::vector<KlbEditEntry> asReference;
    ASSERT_TRUE(Load(file, asReference, true));
    EXPECT_EQ(asReference[0].SourceFile, file);
    EXPECT_TRUE(asReference[0].IsReference);
}

TEST_F(LoadSaveTest, ImportedFilesAndStoredPartsBecomeThePayload) {
    const std::string midi = test::MakeMidi();
    const std::string wav = test::MakeWav(5, 0x11);
    // A tune imported from an outside file, without a stored file type.
    KlbEntry tune = test::MusicEntry("Tune", "*", "", "");
    // A sound whose bytes are still in the library it came from.
    const auto old = dir_.Path() / "old.klb";
    std::string oldBytes = "KLBxxxx" + wav;
    std::ofstream(old, std::ios::binary) << oldBytes;
    KlbEntry drop = test::SoundEntry("drop", "*", "");
    drop.imagePart = {7, static_cast<int32_t>(wav.size())};
    // The editor's own preview copy is not an import, in whatever case it is named: the
    // stored bytes stay.
    KlbEntry other = test::MusicEntry("Other", "*", "MThdOLD", "mid");
    KlbEntry third = test::MusicEntry("Third", "*", "MThdKEPT", "mid");
    std::vector<KlbEditEntry> list = {
        {tune, {}, Put("song.MID", midi), false},
        {drop, old, {}, false},
        {other, {}, Put("tmp.mid", "preview bytes"), false},
        {third, {}, Put("TMP.Mid", "preview bytes"), false},
    };
    const auto file = dir_.Path() / "out.klb";
    ASSERT_TRUE(Write(file, list, false)) << message_;
    EXPECT_EQ(list[0].entry.fileType, "MID");
    EXPECT_TRUE(list[0].heldFile.empty());
    KlbLibrary lib;
    ASSERT_EQ(LoadKlbLibrary(file, lib), KlbStatus::Ok);
    ASSERT_EQ(lib.entries.size(), 4u);
    EXPECT_EQ(lib.entries[0].image, midi);
    EXPECT_EQ(lib.entries[0].fileType, "MID");
    EXPECT_EQ(lib.entries[1].image, wav);
    EXPECT_EQ(lib.entries[2].image, "MThdOLD");
    EXPECT_EQ(lib.entries[3].image, "MThdKEPT");

    // An import that went missing fails the save and leaves the file alone.
    std::vector<KlbEditEntry> broken = {{tune, {}, dir_.Path() / "gone.mid", false}};
    EXPECT_FALSE(Write(file, broken, false));
    EXPECT_NE(message_.find("gone.mid"), std::string::npos);
    EXPECT_EQ(LoadKlbLibrary(file, lib), KlbStatus::Ok);
    EXPECT_EQ(lib.entries.size(), 4u);
}

TEST_F(LoadSaveTest, DefaultLibraryIsOnlyWrittenWhenAllowed) {
    std::vector<KlbEditEntry> list = {{test::GroupEntry("G", "*"), {}, {}, false}};
    const auto file = Put("Default.Klb", "untouched");
    EXPECT_FALSE(Write(file, list, false, panel_));
    EXPECT_EQ(message_, kDefaultLibraryMessage);
    EXPECT_TRUE(shown_.empty());
    EXPECT_EQ(ReadKlbFile(file), "untouched");
    EXPECT_TRUE(Write(file, list, true));
    EXPECT_EQ(ReadKlbFile(file)->substr(0, 3), "KLB");
}

TEST_F(LoadSaveTest, UnknownRecordsStopWithTheMessageKeepingEarlierEntries) {
    std::vector<KlbEditEntry> list = {{test::GroupEntry("G", "*"), {}, {}, false}};
    const auto file = dir_.Path() / "lib.klb";
    ASSERT_TRUE(Write(file, list, false));
    std::string bytes = ReadKlbFile(file).value() + std::string("WHAT\0\0\0\x01", 8);
    Put("lib.klb", bytes);
    std::vector<KlbEditEntry> back;
    EXPECT_FALSE(Load(file, back, false, panel_));
    EXPECT_EQ(message_, "Error loading theme library: " + file.string());
    EXPECT_EQ(back.size(), 1u);
    EXPECT_EQ(shown_.back(), "-");

    // Header alone: the first entry is still read and fails.
    message_.clear();
    EXPECT_FALSE(Load(Put("empty.klb", std::string("KLB\x05\0\0\0", 7)), back, false));
    EXPECT_NE(message_.find("Error loading theme library: "), std::string::npos);
    // Not a library: nothing added, no message.
    message_.clear();
    EXPECT_TRUE(Load(Put("x.klb", "MZ"), back, false));
    EXPECT_EQ(message_, "");
    EXPECT_EQ(back.size(), 1u);
}

}  // namespace
}  // namespace pk
