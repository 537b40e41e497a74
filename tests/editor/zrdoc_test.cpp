// The editor's document: open, edit and save through the work copy, the
// tree built from group paths, unique names, marks and the "Apply"
// commands, references, labels, the recent-file history and the close.
#include "editor/zrdoc.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "editor/zrini.h"
#include "editor/zrpages.h"
#include "platform/atomicfile.h"
#include "support/linked_file.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

class RecordingHost : public KledDocHost {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ReleasePreviews() override {
        if (throwOnRelease)
            throw std::runtime_error("player");
    }
    std::vector<std::string> messages;
    bool throwOnRelease = false;
};

std::string FileBytes(const std::filesystem::path& f) {
    return ReadFileBytes(f, 1 << 24).value_or("<missing>");
}

class DocTest : public ::testing::Test {
protected:
    DocTest() : doc_(dir_.Path() / "prog", &host_) {
        std::filesystem::create_directories(dir_.Path() / "prog");
        doc_.Start({});
    }
    std::filesystem::path Library(const std::string& name,
                                  std::vector<KlbEntry> entries = test::BasicTheme()) {
        return test::SaveLibrary(dir_.Path() / name, std::move(entries));
    }
    std::vector<std::string> Labels() {
        std::vector<std::string> out;
        doc_.tree().ForEach([&](TreeNode* n) {
            std::string depth;
            for (TreeNode* p = n->parent; p; p = p->parent) depth += ".";
            out.push_back(depth + n->label);
        });
        return out;
    }
    TreeNode* Node(const std::string& name) {
        TZRC* e = doc_.FindEntryByName(name, "");
        return e ? e->node : nullptr;
    }
    test::TempDir dir_;
    RecordingHost host_;
    KledDoc doc_;
};

TEST_F(DocTest, OpenBuildsTheTreeAndSaveWritesTheSameBytes) {
    const auto file = Library("Mine.klb");
    doc_.OpenTheme(file);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Current theme", ".Basic", "..Basic", ".Specials",
                                                  ".drop", ".Tune", ".Main", ".Button"}));
    EXPECT_EQ(doc_.caption(), "Pelkorin Theme Editor v1.09 - " + file.string());
    EXPECT_EQ(FileBytes(doc_.WorkCopy()), FileBytes(file));
    EXPECT_EQ(
        KledDoc::NodeGroupPath(
            Node("Basic")->children.empty() ? Node("Basic") : Node("Basic")->children[0].get(),
            '|'),
        "Basic|");
    const auto copy = dir_.Path() / "Copy.klb";
    ASSERT_TRUE(doc_.SaveThemeAs(copy));
    EXPECT_EQ(FileBytes(copy), FileBytes(file));
    EXPECT_EQ(FileBytes(doc_.WorkCopy()), FileBytes(copy));
    EXPECT_EQ(doc_.currentFile(), copy);
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(DocTest, AnEditIsSavedAndNothingElseChanges) {
    const auto file = Library("Mine.klb");
    doc_.OpenTheme(file);
    TZRC* drop = doc_.FindEntryByName("drop", "");
    doc_.Select(drop->node);
    auto rows = ShownValues(kPageSound, *drop, doc_.programFolder());
    rows[0] = "two words";
    ASSERT_TRUE(StoreEdit(kPageSound, *drop, rows));
    ASSERT_EQ(doc_.SaveTheme(), KledDoc::SaveOutcome::Saved);

    KlbLibrary before, after;
    ASSERT_TRUE(ReadKlbLibrary(
        FileBytes(test::SaveLibrary(dir_.Path() / "orig.klb", test::BasicTheme())), before));
    ASSERT_TRUE(LoadKlbLibrary(file, after));
    ASSERT_EQ(after.entries.size(), before.entries.size());
    for (size_t i = 0; i < before.entries.size(); ++i) {
        KlbEntry expected = before.entries[i];
        if (expected.name == "drop")
            expected.themeIdList = "two words";
        KlbEntry got = after.entries[i];
        expected.imagePart = got.imagePart = {};
        expected.maskPart = got.maskPart = {};
        EXPECT_EQ(got, expected) << expected.name;
    }
}

TEST_F(DocTest, RefusesTheWorkCopyPreviewsAndTheDefaultLibrary) {
    doc_.OpenTheme(Library("Mine.klb"));
    EXPECT_FALSE(doc_.OpenChosen(doc_.WorkCopy()));
    EXPECT_FALSE(doc_.OpenChosen(doc_.PreviewFile("mid")));
    EXPECT_FALSE(doc_.OpenChosen(doc_.PreviewFile("mp3")));
    // The editor's own files in any case.
    EXPECT_FALSE(doc_.OpenChosen(doc_.programFolder() / "TmpTheme.$$$"));
    EXPECT_FALSE(doc_.OpenChosen(doc_.programFolder() / "TMP.MID"));
    EXPECT_FALSE(doc_.SaveThemeAs(doc_.WorkCopy()));
    const auto def = dir_.Path() / "Default.klb";
    EXPECT_FALSE(doc_.SaveThemeAs(def));
    EXPECT_FALSE(std::filesystem::exists(def));
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0], kDefaultLibraryMessage);
    // What Save As refuses is known before it is tried.
    EXPECT_TRUE(doc_.SaveAsRefuses(def));
    EXPECT_TRUE(doc_.SaveAsRefuses(doc_.WorkCopy()));
    EXPECT_FALSE(doc_.SaveAsRefuses(dir_.Path() / "Mine.klb"));

    KledDoc over(dir_.Path() / "prog", &host_);
    over.Start({"override"});
    EXPECT_TRUE(over.overrideFlag());
    EXPECT_FALSE(over.SaveAsRefuses(def));
    EXPECT_TRUE(over.SaveThemeAs(def));
    KledDoc notOver(dir_.Path() / "prog", &host_);
    notOver.Start({"Override"});
    EXPECT_FALSE(notOver.overrideFlag());
}

TEST_F(DocTest, EntriesWhoseGroupIsMissingAreNeitherShownNorSaved) {
    auto entries = test::BasicTheme();
    KlbEntry lost = test::SoundEntry("lost", "*", test::MakeWav(2));
    lost.groupPath = "Nowhere|";
    entries.push_back(lost);
    doc_.OpenTheme(Library("Lost.klb", entries));
    EXPECT_EQ(Node("lost"), nullptr);
    ASSERT_TRUE(doc_.SaveThemeAs(dir_.Path() / "Out.klb"));
    EXPECT_EQ(doc_.FindEntryByName("lost", ""), nullptr);
    KlbLibrary out;
    ASSERT_TRUE(LoadKlbLibrary(dir_.Path() / "Out.klb", out));
    EXPECT_EQ(out.entries.size(), test::BasicTheme().size());
}

TEST_F(DocTest, UniqueNamesCountCopiesOfSiblingGroups) {
    std::vector<KlbEntry> entries = {
        test::GroupEntry("Music", "*"), test::GroupEntry("Music copy3", "*"),
        test::GroupEntry("Sounds", "*"), test::GroupEntry("Sounds copy", "*"),
        test::GroupEntry("Specialish", "*")};
    doc_.OpenTheme(Library("Groups.klb", entries));
    TreeNode* root = doc_.tree().FirstRoot();
    EXPECT_EQ(doc_.UniqueName(root, "Music copy3"), "Music copy4");
    EXPECT_EQ(doc_.UniqueName(root, "Sounds"), "Sounds copy2");
    EXPECT_EQ(doc_.UniqueName(root, "Fresh"), "Fresh");
    EXPECT_EQ(doc_.UniqueName(root, "Special"), "Special copy");
    EXPECT_EQ(doc_.UniqueName(root, "copy"), "copy");
    EXPECT_EQ(KledDoc::CopySuffixNumber("Music", "Music Copy12"), 12);
    EXPECT_EQ(KledDoc::CopySuffixNumber("Music", "Other"), -1);
    EXPECT_EQ(doc_.FindGroupNode("SOUNDS", root, nullptr), Node("Sounds"));
    EXPECT_EQ(doc_.FindGroupNode("Sounds", root, Node("Sounds")), nullptr);
}

TEST_F(DocTest, LabelsAreCheckedAndRefusedOnesKeepTheOldName) {
    auto entries = test::BasicTheme();
    entries.push_back(test::GroupEntry("Other", "*"));
    entries.push_back(test::SoundEntry("beep", "*", test::MakeWav(2)));
    doc_.OpenTheme(Library("Labels.klb", entries));
    TreeNode* other = Node("Other");
    EXPECT_FALSE(doc_.CanEditLabel(doc_.tree().FirstRoot()));
    EXPECT_FALSE(doc_.RenameNode(other, "basic"));  // a sibling group, any case
    EXPECT_FALSE(doc_.RenameNode(other, ""));
    EXPECT_FALSE(doc_.RenameNode(other, "a|b"));
    EXPECT_FALSE(doc_.RenameNode(other, std::string(80, 'x')));
    EXPECT_EQ(other->label, "Other");
    EXPECT_TRUE(doc_.RenameNode(other, std::string(79, 'x')));
    EXPECT_EQ(other->entry->name(), std::string(79, 'x'));
    TreeNode* beep = Node("beep");
    EXPECT_TRUE(doc_.RenameNode(beep, "drop"));  // sibling sound names may repeat
    EXPECT_FALSE(doc_.RenameNode(beep, ""));
    EXPECT_EQ(beep->label, "drop");
}

TEST_F(DocTest, MarksFollowCtrlAndShiftAndApplyWritesTheMarkedEntries) {
    auto entries = test::BasicTheme();
    for (const char* n : {"s1", "s2", "s3"})
        entries.push_back(test::SoundEntry(n, "*", test::MakeWav(2)));
    doc_.OpenTheme(Library("Marks.klb", entries));
    doc_.Select(Node("drop"));
    EXPECT_TRUE(Node("drop")->Marked());
    doc_.Select(Node("s3"), true, false);  // drop .. s3 toggled, drop itself not
    for (const char* n : {"drop", "Tune", "Main", "Button", "s1", "s2", "s3"})
        EXPECT_TRUE(Node(n)->Marked()) << n;
    doc_.Select(Node("s2"), false, true);  // ctrl toggles s2 off
    EXPECT_FALSE(Node("s2")->Marked());
    doc_.Select(Node("drop"), false, true);
    EXPECT_FALSE(Node("drop")->Marked());
    doc_.Select(Node("drop"), false, true);
    ASSERT_EQ(doc_.SelectedEntry()->name(), "drop");

    EXPECT_EQ(ApplyField(doc_, 0, "applied"), 2);  // s1 and s3; other kinds untouched
    for (const char* n : {"s1", "s3"})
        EXPECT_EQ(doc_.FindEntryByName(n, "")->entry.themeIdList, "applied");
    EXPECT_EQ(doc_.FindEntryByName("s2", "")->entry.themeIdList, "*");
    EXPECT_EQ(doc_.FindEntryByName("drop", "")->entry.themeIdList, "*");
    EXPECT_EQ(doc_.FindEntryByName("Tune", "")->entry.themeIdList, "*");
    EXPECT_FALSE(Node("s1")->Marked());
    EXPECT_TRUE(Node("drop")->Marked());

    doc_.Select(Node("Button"));
    doc_.Select(Node("Main"), false, true);  // Main selected, both marked
    EXPECT_EQ(ApplyFlagList(doc_, "tile\rfont\nArial"), 1);
    EXPECT_EQ(doc_.FindEntryByName("Button", "")->entry.flagList, "tile\rfont\nArial");
    EXPECT_EQ(doc_.FindEntryByName("Main", "")->entry.flagList, "stretch");
    doc_.Select(Node("Button"), false, true);
    doc_.Select(Node("Main"), false, true);
    EXPECT_EQ(ApplyEventList(doc_, "onclick\nquit"), 1);
    EXPECT_EQ(doc_.FindEntryByName("Button", "")->entry.eventList, "onclick\nquit");
}

TEST_F(DocTest, ReferenceLibrariesAreShownNeverWrittenAndAllTheirRootsGo) {
    doc_.OpenTheme(Library("Mine.klb"));
    std::vector<KlbEntry> grouped = {test::GroupEntry("G", "*"),
                                     test::SoundEntry("inside", "*", test::MakeWav(2))};
    grouped[1].groupPath = "G|";
    ASSERT_TRUE(doc_.LoadLibrary(
        Library("REFS.klb", {test::SoundEntry("r", "*", test::MakeWav(2))}), true));
    ASSERT_TRUE(doc_.LoadLibrary(Library("grouped.klb", grouped), true));
    ASSERT_EQ(doc_.tree().Roots().size(), 3u);
    EXPECT_EQ(doc_.tree().Roots()[1]->label, "Refs");
    EXPECT_EQ(doc_.tree().Roots()[2]->label, "Grouped");
    TZRC* ref = doc_.FindEntryByName("r", "");
    EXPECT_FALSE(doc_.IsEditableNode(ref->node));
    EXPECT_FALSE(doc_.IsEditableNode(doc_.tree().Roots()[1].get()));
    doc_.Select(ref->node);
    EXPECT_FALSE(StoreEdit(kPageSound, *ref, {"x", ""}));

    ASSERT_TRUE(doc_.SaveThemeAs(dir_.Path() / "Out.klb"));
    KlbLibrary out;
    ASSERT_TRUE(LoadKlbLibrary(dir_.Path() / "Out.klb", out));
    EXPECT_EQ(out.entries.size(), test::BasicTheme().size());
    EXPECT_EQ(out.count, static_cast<int32_t>(test::BasicTheme().size() + 3));

    doc_.ResetTheme(true);
    ASSERT_EQ(doc_.tree().Roots().size(), 1u);
    EXPECT_EQ(doc_.list().size(), test::BasicTheme().size());
    EXPECT_EQ(doc_.FindEntryByName("r", ""), nullptr);
}

TEST_F(DocTest, ADamagedLibraryKeepsWhatWasReadWithAMessage) {
    std::string bytes = FileBytes(Library("Mine.klb"));
    bytes += "BOGUS";
    bytes.append(40, '\0');
    const auto bad = dir_.Path() / "Bad.klb";
    std::ofstream(bad, std::ios::binary) << bytes;
    doc_.OpenTheme(bad);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0], "Error loading theme library: " + bad.string());
    EXPECT_EQ(doc_.list().size(), test::BasicTheme().size());
    EXPECT_NE(Node("Tune"), nullptr);
}

// Seven entries of which only the first three can be read: a plain save would
// write the three alone over the seven, so it writes nothing.
TEST_F(DocTest, ALibraryReadInPartIsNeverSavedOverWithoutItsUnreadEntries) {
    std::vector<KlbEntry> first{test::SoundEntry("s1", "*", test::MakeWav(4)),
                                test::SoundEntry("s2", "*", test::MakeWav(5)),
                                test::SoundEntry("s3", "*", test::MakeWav(6))};
    std::vector<KlbEntry> rest{test::SoundEntry("s4", "*", test::MakeWav(7)),
                               test::SoundEntry("s5", "*", test::MakeWav(8)),
                               test::SoundEntry("s6", "*", test::MakeWav(9))};
    std::string bytes = FileBytes(Library("First.klb", first));
    // A record of a kind this editor does not know, then more entries.
    bytes += std::string("NEWKIND\x01", 8) + FileBytes(Library("Rest.klb", rest)).substr(7);
    const auto partial = dir_.Path() / "Partial.klb";
    std::ofstream(partial, std::ios::binary) << bytes;
    doc_.OpenTheme(partial);
    ASSERT_EQ(doc_.list().size(), 3u);
    host_.messages.clear();
    EXPECT_FALSE(doc_.HasChanges());

    EXPECT_EQ(doc_.SaveTheme(), KledDoc::SaveOutcome::PartlyRead);
    EXPECT_EQ(FileBytes(partial), bytes);
    EXPECT_EQ(doc_.PartlyReadText(),
              "Only part of " + partial.string() +
                  " could be read: saving over it would lose the entries that were not read.");
    // Save As onto the same file, under any spelling, is refused with the reason.
    EXPECT_FALSE(doc_.SaveThemeAs(dir_.Path() / "." / "Partial.klb"));
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0], doc_.PartlyReadText() + "  Choose another name.");
    EXPECT_EQ(FileBytes(partial), bytes);

    // What was read goes to another file, which then saves as usual.
    const auto copy = dir_.Path() / "Copy.klb";
    ASSERT_TRUE(doc_.SaveThemeAs(copy));
    EXPECT_EQ(doc_.SaveTheme(), KledDoc::SaveOutcome::Saved);
    EXPECT_EQ(FileBytes(partial), bytes);

    // A library that is only its header has nothing to lose.
    const auto empty = dir_.Path() / "Empty.klb";
    std::ofstream(empty, std::ios::binary) << std::string("KLB\0\0\0\0", 7);
    doc_.OpenTheme(empty);
    EXPECT_EQ(doc_.SaveTheme(), KledDoc::SaveOutcome::Saved);
}

// A recent file whose name holds a line break cannot be kept in "kled.ini";
// nor can one that ends in a blank (the read trims it). Such a name stays out
// of the history and every other name is read back.
TEST_F(DocTest, ARecentNameThatTheHistoryCannotHoldLosesNoOtherName) {
    const auto a = Library("a.klb");
    const auto broken = Library("line\nbreak.klb");
    const auto blank = Library("blank.klb ");
    const auto d = Library("d.klb");
    for (const auto& f : {a, broken, blank, d}) doc_.OpenTheme(f);
    EXPECT_EQ(doc_.recent(), (std::vector<std::string>{d.string(), a.string()}));
    ASSERT_TRUE(doc_.Close());
    KledDoc next(dir_.Path() / "prog", &host_);
    next.Start({});
    EXPECT_EQ(next.recent(), (std::vector<std::string>{d.string(), a.string()}));
}

// Any edit, in the tree or in an entry, is a change until saved; a change
// undone is none.
TEST_F(DocTest, ChangesAreWhatASaveWouldWriteDifferently) {
    EXPECT_FALSE(doc_.HasChanges());
    doc_.OpenTheme(Library("Mine.klb"));
    EXPECT_FALSE(doc_.HasChanges());
    TZRC* drop = doc_.FindEntryByName("drop", "");
    drop->entry.themeIdList = "other";
    EXPECT_TRUE(doc_.HasChanges());
    drop->entry.themeIdList = "*";
    EXPECT_FALSE(doc_.HasChanges());
    ASSERT_TRUE(doc_.RenameNode(drop->node, "dropped"));
    EXPECT_TRUE(doc_.HasChanges());
    EXPECT_EQ(doc_.SaveTheme(), KledDoc::SaveOutcome::Saved);
    EXPECT_FALSE(doc_.HasChanges());
    drop->heldFile = dir_.Path() / "other.wav";
    EXPECT_TRUE(doc_.HasChanges());
    doc_.NewTheme();
    EXPECT_FALSE(doc_.HasChanges());
}

TEST_F(DocTest, RecentFilesPersistAcrossRunsAndDropMissingOnes) {
    std::vector<std::filesystem::path> files;
    for (int i = 0; i < 11; ++i) files.push_back(Library("t" + std::to_string(i) + ".klb"));
    for (const auto& f : files) doc_.OpenTheme(f);
    ASSERT_EQ(doc_.recent().size(), kMaxRecentFiles);
    EXPECT_EQ(doc_.recent().front(), files[10].string());
    EXPECT_EQ(doc_.recent().back(), files[1].string());
    doc_.OpenTheme(files[5]);
    EXPECT_EQ(doc_.recent().front(), files[5].string());
    EXPECT_EQ(doc_.recent().size(), kMaxRecentFiles);
    ASSERT_TRUE(doc_.Close());
    EXPECT_EQ(ReadIniValue("history", "FILE0", doc_.IniFile()), files[1].string());
    EXPECT_EQ(ReadIniValue("History", "file9", doc_.IniFile()), files[5].string());
    EXPECT_FALSE(std::filesystem::exists(doc_.WorkCopy()));

    std::filesystem::remove(files[10]);
    KledDoc next(dir_.Path() / "prog", &host_);
    next.Start({});
    ASSERT_EQ(next.recent().size(), kMaxRecentFiles);
    EXPECT_EQ(next.recent().front(), files[5].string());
    EXPECT_FALSE(next.OpenRecent(files[10].string()));
    EXPECT_EQ(next.recent().size(), kMaxRecentFiles - 1);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_TRUE(next.OpenRecent(files[2].string()));
    EXPECT_EQ(next.recent().front(), files[2].string());
}

TEST_F(DocTest, SavesKeepTheUsersLinksAndModesAndAStartClearsKilledSaves) {
    const auto prog = dir_.Path() / "prog";
    test::LinkedUserFile library(dir_.Path(), "Linked.klb", FileBytes(Library("Src.klb")));
    test::LinkedUserFile ini(prog, "kled.ini",
                             "[History]\r\nfile0=" + library.link.string() + "\r\n", 0640);
    // Saves killed midway, by editors that no longer run and by this one.
    const std::string ended = ".tmp2147483647.0";
    const std::string running = ".tmp" + std::to_string(::getpid()) + ".0";
    const std::vector<std::filesystem::path> stale = {
        library.file.string() + ended, ini.file.string() + ended,
        (prog / kWorkCopyName).string() + ended, (prog / "tmp.mid").string() + ended};
    const std::filesystem::path kept = (prog / kWorkCopyName).string() + running;
    for (const auto& f : stale) ASSERT_TRUE(WriteFileAtomic(f, "half"));
    ASSERT_TRUE(WriteFileAtomic(kept, "half"));
    KledDoc next(prog, &host_);
    next.Start({});
    for (const auto& f : stale) EXPECT_FALSE(std::filesystem::exists(f)) << f;
    EXPECT_TRUE(std::filesystem::exists(kept));

    next.OpenTheme(library.link);
    ASSERT_EQ(next.SaveTheme(), KledDoc::SaveOutcome::Saved);
    EXPECT_EQ(library.Bytes(), FileBytes(dir_.Path() / "Src.klb"));
    EXPECT_TRUE(library.Kept());
    ASSERT_TRUE(next.Close());
    EXPECT_EQ(ReadIniValue("History", "file0", ini.link), library.link.string());
    EXPECT_TRUE(ini.Kept());
}

TEST_F(DocTest, CloseRunsEveryStepWhenOneFails) {
    doc_.OpenTheme(Library("Mine.klb"));
    std::ofstream(doc_.PreviewFile("mid")) << "x";
    host_.throwOnRelease = true;
    EXPECT_FALSE(doc_.Close());
    EXPECT_EQ(ReadIniValue("History", "file0", doc_.IniFile()),
              (dir_.Path() / "Mine.klb").string());
    EXPECT_FALSE(std::filesystem::exists(doc_.WorkCopy()));
    EXPECT_FALSE(std::filesystem::exists(doc_.PreviewFile("mid")));
}

TEST_F(DocTest, NewThemeResetsToAnEmptyRootAndSaveAsksForAName) {
    doc_.OpenTheme(Library("Mine.klb"));
    doc_.NewTheme();
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Current theme"}));
    EXPECT_TRUE(doc_.list().empty());
    EXPECT_EQ(doc_.SaveTheme(), KledDoc::SaveOutcome::NeedsName);
    EXPECT_EQ(doc_.caption(), "Pelkorin Theme Editor v1.09");
}

}  // namespace
}  // namespace pk

namespace pk {
namespace {

// The library the default theme's build makes opens, saves byte for byte
// under another name and is protected under its own.
TEST_F(DocTest, TheDefaultThemeLibraryOpensAndSavesUnchanged) {
    const auto def = dir_.Path() / "DEFAULT.KLB";
    std::filesystem::copy_file(PK_DEFAULT_THEME_FILE, def);
    doc_.OpenTheme(def);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_GT(doc_.list().size(), 10u);
    EXPECT_EQ(doc_.SaveTheme(), KledDoc::SaveOutcome::Failed);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0], kDefaultLibraryMessage);
    const auto mine = dir_.Path() / "Mine.klb";
    ASSERT_TRUE(doc_.SaveThemeAs(mine));
    EXPECT_EQ(FileBytes(mine), FileBytes(PK_DEFAULT_THEME_FILE));
}

}  // namespace
}  // namespace pk
