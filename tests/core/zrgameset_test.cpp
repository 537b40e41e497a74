#include "core/zrgameset.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "core/zrconst.h"
#include "core/zrzstream.h"
#include "support/bytes.h"

namespace pk {
namespace {

using test::Bytes;

std::string Items(std::initializer_list<std::string> items) {
    std::string out;
    for (const auto& item : items) {
        if (!out.empty() || &item != items.begin()) {
            out.push_back('\x02');
        }
        out += item;
    }
    return out;
}

bool IsSmallPieceDigit(const std::string& v) {
    return v.size() == 1 && v[0] >= '1' && v[0] <= '5';
}

TEST(GameSetSchema, HasSixtyFiveDistinctLowerCaseKeys) {
    std::set<std::string_view> keys;
    for (const auto& row : GameSetSchema) {
        keys.insert(row.key);
        for (char c : row.key) {
            EXPECT_FALSE(c >= 'A' && c <= 'Z') << row.key;
        }
    }
    EXPECT_EQ(keys.size(), 65u);
    EXPECT_EQ(GameSetSchema.front().key, "default");
    EXPECT_EQ(GameSetSchema.back().key, "sbdstack");
    EXPECT_EQ(FindGameSetRow("LVLSTART")->kind, "range 1 100");
    EXPECT_EQ(FindGameSetRow("aplr"), nullptr);
}

TEST(GameSet, ResetGivesEveryKeyItsDefaultInSchemaOrder) {
    TGameSet g;
    ASSERT_EQ(g.Count(), 65u);
    const auto pairs = g.Pairs();
    auto it = pairs.begin();
    for (const auto& row : GameSetSchema) {
        EXPECT_EQ(it->key, row.key);
        ++it;
    }
    EXPECT_EQ(g.GetValue("maxp"), "6");
    EXPECT_EQ(g.GetValue("maxs"), "200");
    EXPECT_EQ(g.GetValue("startvotesec"), "45");
    EXPECT_EQ(g.GetValue("sbqshift"), "32221111111111111111100000000000000");
    EXPECT_EQ(g.GetValue("stacks"), Items({"0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(g.GetValue("teams"), std::string(5, '\x02'));
    EXPECT_EQ(g.GetValue("sbchance1"), "");
    EXPECT_EQ(g.GetValue("desc"), "");
    EXPECT_TRUE(IsSmallPieceDigit(g.GetValue("piecechance")));
    std::string rules = g.GetValue("classicrules");
    EXPECT_EQ(rules.substr(0, 15), "2=1\r\n3=2\r\n4=4\r\n");
    EXPECT_EQ(rules.substr(rules.size() - 12), "19=19\r\n20=20");
    EXPECT_EQ(std::count(rules.begin(), rules.end(), '\n'), 18);
}

TEST(GameSet, SerialFormGolden) {
    TGameSet g;
    g.SetValue("piecechance", "1234567");  // fixes the random pick; moves to the end
    std::string serial = g.SaveToString();
    EXPECT_EQ(serial.substr(0, 30),
              Bytes({
                  0x07, 0x00, 0x00, 0x00, 'd', 'e', 'f', 'a', 'u', 'l', 't',  // key 1
                  0x01, 0x00, 0x00, 0x00, '0',                                // its default
                  0x07, 0x00, 0x00, 0x00, 'c', 'l', 'a', 's', 's', 'i', 'c',  // key 2
                  0x01, 0x00, 0x00,                                           // (cut here)
              }));
    std::string tail = Bytes({
        0x0B, 0x00, 0x00, 0x00, 'p', 'i', 'e', 'c', 'e', 'c', 'h', 'a', 'n', 'c', 'e',  // key
        0x07, 0x00, 0x00, 0x00, '1', '2', '3', '4', '5', '6', '7',                      // value
    });
    EXPECT_EQ(serial.substr(serial.size() - tail.size()), tail);

    TGameSet back;
    EXPECT_TRUE(back.LoadFromString(serial));
    EXPECT_EQ(back.SaveToString(), serial);
    TGameSet packed;
    EXPECT_TRUE(packed.LoadFromCompressed(g.SaveToCompressed()));
    EXPECT_EQ(packed.SaveToString(), serial);
}

TEST(GameSetKinds, Bool) {
    TGameSet g;
    g.SetValue("holdpiece", "0");
    EXPECT_EQ(g.GetValue("holdpiece"), "0");
    for (const char* bad : {"", "2", "true", " 1", "01"}) {
        g.SetValue("holdpiece", bad);
        EXPECT_EQ(g.GetValue("holdpiece"), "1") << bad;
    }
    g.SetBool("classic", 257);  // low byte 1
    EXPECT_EQ(g.GetBool("classic"), 1);
    g.SetBool("classic", 2);
    EXPECT_EQ(g.GetBool("classic"), 0);
}

TEST(GameSetKinds, RangeKeepsTheTextOrFallsBackWithoutClamping) {
    TGameSet g;
    g.SetValue("lvlstart", "101");
    EXPECT_EQ(g.GetValue("lvlstart"), "1");
    g.SetValue("lvlstart", "x");
    EXPECT_EQ(g.GetValue("lvlstart"), "1");
    g.SetValue("lvlstart", "007");
    EXPECT_EQ(g.GetValue("lvlstart"), "007");
    EXPECT_EQ(g.GetInt("lvlstart"), 7);
    g.SetInt("lvlstart", 100);
    EXPECT_EQ(g.GetValue("lvlstart"), "100");
    g.SetInt("maxs", 0);
    EXPECT_EQ(g.GetValue("maxs"), "0");
    g.SetInt("maxs", -1);
    EXPECT_EQ(g.GetValue("maxs"), "200");
    g.SetValue("piecedelay", "99999999999999");
    EXPECT_EQ(g.GetValue("piecedelay"), "0");
}

TEST(GameSetKinds, Lists) {
    TGameSet g;
    g.SetValue("stacks", Items({"5", "200", "x"}));
    EXPECT_EQ(g.GetValue("stacks"), Items({"5", "0", "0", "0", "0", "0"}));
    g.SetValue("stacks", Items({"1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_EQ(g.GetValue("stacks"), Items({"1", "2", "3", "4", "5", "6"}));
    g.SetValue("teams", "");
    EXPECT_EQ(g.GetValue("teams"), std::string(5, '\x02'));
    g.SetValue("teams", Items({"Red", "", "Bl\x01ue", "Green team"}));
    EXPECT_EQ(g.GetValue("teams"), Items({"Red", "", "", "Green team", "", ""}));
    EXPECT_EQ(NormaliseGameSetValue("listvalidname 3", "anon", Items({"bob", "1ab", "ann"})),
              Items({"bob", "anon", "ann"}));
    EXPECT_EQ(NormaliseGameSetValue("validtext", "d", "fine text"), "fine text");
    EXPECT_EQ(NormaliseGameSetValue("validtext", "d", "bad\ttext"), "d");
    EXPECT_EQ(NormaliseGameSetValue("validtext", "d", ""), "d");
}

TEST(GameSetKinds, TextAndMemoText) {
    TGameSet g;
    g.SetValue("desc", std::string(5000, 'd'));
    EXPECT_EQ(g.GetValue("desc"), std::string(4000, 'd'));
    g.SetValue("desc", "short");
    EXPECT_EQ(g.GetValue("desc"), "short");
    std::string rules = g.GetValue("classicrules");
    g.SetValue("classicrules", "2=2");
    EXPECT_EQ(g.GetValue("classicrules"), "2=2");
    g.SetValue("classicrules", std::string(201, '1'));
    EXPECT_EQ(g.GetValue("classicrules"), rules);
    g.SetValue("classicrules", std::string(200, '1'));
    EXPECT_EQ(g.GetValue("classicrules"), std::string(200, '1'));
    g.SetValue("classicrules", "");
    EXPECT_EQ(g.GetValue("classicrules"), rules);
}

TEST(GameSetKinds, Chances) {
    TGameSet g;
    g.SetValue("sbchance1", "AAXz");
    EXPECT_EQ(g.GetValue("sbchance1"), "aa");
    g.SetValue("sbchance2", "xyz");
    EXPECT_EQ(g.GetValue("sbchance2"), "");
    g.SetValue("sbchance3", "mfdi ACN!");
    EXPECT_EQ(g.GetValue("sbchance3"), "mfdiacn");
    g.SetValue("piecechance", "1a77 9");
    EXPECT_EQ(g.GetValue("piecechance"), "177");
    std::set<std::string> picks;
    for (int i = 0; i < 200; ++i) {
        g.SetValue("piecechance", "889");
        std::string v = g.GetValue("piecechance");
        EXPECT_TRUE(IsSmallPieceDigit(v)) << v;
        picks.insert(v);
    }
    EXPECT_GT(picks.size(), 1u);
    g.SetValue("sbqshift", "12a3");
    EXPECT_EQ(g.GetValue("sbqshift"), "123");
    g.SetValue("sbqshift", "none");
    EXPECT_EQ(g.GetValue("sbqshift"), "32221111111111111111100000000000000");
}

TEST(GameSetKinds, UserListAndUnknownKinds) {
    EXPECT_EQ(NormaliseGameSetValue("userlist", "",
                                    "a\x01"
                                    "b\x02"
                                    "c"),
              "abc");
    EXPECT_EQ(NormaliseGameSetValue("userlist", "", std::string(1500, 'u')),
              std::string(1000, 'u'));
    EXPECT_EQ(NormaliseGameSetValue("whatever 3", "d", "kept \x01 as is"), "kept \x01 as is");
}

TEST(GameSet, UnknownKeysAreKeptEmptyAndTravel) {
    TGameSet g;
    g.SetValue("Extra", "something");
    EXPECT_EQ(g.Count(), 66u);
    EXPECT_EQ(g.GetValue("extra"), "");
    EXPECT_EQ(g.Pairs().back().key, "extra");
    TGameSet back;
    EXPECT_TRUE(back.LoadFromString(g.SaveToString()));
    EXPECT_EQ(back.Count(), 66u);
    EXPECT_EQ(back.Pairs().back().key, "extra");
    EXPECT_EQ(back.GetInt("extra"), 0);
    EXPECT_EQ(back.GetInt("absent"), 0);
    back.Delete("EXTRA");
    EXPECT_EQ(back.Count(), 65u);
}

TEST(GameSet, EqualSetsHoldTheSamePairsInTheSameOrder) {
    TGameSet a;
    a.SetValue("Extra", "dropped");
    a.SetInt("maxp", 3);
    a.SetInt("maxp", 4);  // set twice: it stands last once
    TGameSet b;
    ASSERT_TRUE(b.LoadFromString(a.SaveToString()));
    EXPECT_TRUE(b == a);

    TGameSet other = a;
    other.SetInt("maxp", 5);
    EXPECT_FALSE(other == a);  // another value
    other = a;
    other.SetValue("extra", "");
    EXPECT_FALSE(other == a);  // another order
    other = a;
    other.Delete("maxs");
    EXPECT_FALSE(other == a);  // fewer pairs
    other.SetInt("maxs", 200);
    other.SetValue("extra", "");
    other.SetInt("maxp", 4);
    EXPECT_FALSE(other == a);  // maxs came back at the end
}

// Many changes in a row, against the ordered list that records use: every
// change moves its key to the end, a delete takes it out, and the places the
// keys leave are closed up now and then without changing the order.
TEST(GameSet, LongRunsOfChangesKeepTheOrderOfARecord) {
    std::mt19937 random(12);
    const std::vector<std::string> keys = {"maxp",   "MAXS",      "Teams",  "desc",   "extra1",
                                           "Extra2", "sbchance2", "stacks", "classic"};
    TGameSet g;
    KeyValueList model;
    for (const auto& pair : g.Pairs()) {
        model.Set(pair.key, pair.value);
    }
    for (int step = 0; step < 3000; ++step) {
        const std::string& key = keys[random() % keys.size()];
        if (random() % 6 == 0) {
            g.Delete(key);
            model.Remove(key);
            continue;
        }
        const std::string value = std::to_string(random() % 40);
        g.SetValue(key, value);
        const GameSetRow* row = FindGameSetRow(key);
        model.Set(key, row ? NormaliseGameSetValue(row->kind, row->def, value) : "");
        ASSERT_EQ(g.Count(), model.Count()) << "step " << step;
    }
    EXPECT_EQ(g.SaveToString(), model.Serialize());
    TGameSet back;
    ASSERT_TRUE(back.LoadFromString(g.SaveToString()));
    EXPECT_TRUE(back == g);
}

TEST(GameSet, LoadingNormalisesWhatArrives) {
    std::string serial = Bytes({
        0x04, 0x00, 0x00, 0x00, 'M', 'A', 'X', 'P',            // key in upper case
        0x01, 0x00, 0x00, 0x00, '9',                           // out of range: back to 6
        0x06, 0x00, 0x00, 0x00, 'l', 'v', 'l', 'i', 'n', 'c',  // key
        0x02, 0x00, 0x00, 0x00, '5', '0',                      // in range
    });
    TGameSet g;
    g.SetValue("maxs", "3");  // dropped by the reset that loading starts with
    EXPECT_TRUE(g.LoadFromString(serial));
    EXPECT_EQ(g.GetValue("maxp"), "6");
    EXPECT_EQ(g.GetValue("lvlinc"), "50");
    EXPECT_EQ(g.GetValue("maxs"), "200");
    EXPECT_EQ(g.Pairs().back().key, "lvlinc");
}

TEST(GameSet, BrokenBlobs) {
    TGameSet src;
    src.SetValue("maxp", "3");
    src.SetValue("desc", "a fine game");
    std::string packed = src.SaveToCompressed();

    TGameSet g;
    g.SetValue("maxs", "7");
    EXPECT_FALSE(g.LoadFromCompressed(""));
    EXPECT_FALSE(g.LoadFromCompressed(packed.substr(0, packed.size() - 1)));
    EXPECT_FALSE(g.LoadFromCompressed(std::string(40, '\xFF')));
    EXPECT_EQ(g.GetValue("maxs"), "7");  // unchanged: no reset before a good inflate

    // A blob that inflates past the bound of one set is refused whole.
    std::string big = src.SaveToString();
    for (int i = 0; big.size() <= MaxGameSetSize; ++i) {
        big += Bytes({0x04, 0x00, 0x00, 0x00}) + "x" + std::to_string(1000 + i).substr(1) +
               Bytes({0x00, 0x00, 0x00, 0x00});
    }
    EXPECT_FALSE(g.LoadFromCompressed(Compress(big, CompressionLevel::Max)));
    EXPECT_EQ(g.GetValue("maxs"), "7");

    // A serial form cut inside the last pair: the complete pairs stay applied.
    std::string serial = src.SaveToString();
    EXPECT_FALSE(g.LoadFromString(std::string_view(serial).substr(0, serial.size() - 3)));
    EXPECT_EQ(g.GetValue("maxp"), "3");
    EXPECT_EQ(g.GetValue("desc"), "");
    EXPECT_EQ(g.GetValue("maxs"), "200");
    EXPECT_EQ(g.Count(), 65u);
}

std::string Coded(std::initializer_list<std::string> fields) {
    std::string out;
    for (const auto& f : fields) {
        if (&f != fields.begin()) {
            out.push_back('\xFA');
        }
        out += f;
    }
    return out;
}

TEST(GameSetCoded, AppliesEveryKnownCode) {
    std::string pieceWeights = Bytes({13, 10, 0, 12});  // 1 x3, 2 x0, 3 none, 4 x2, 5-7 x20
    TGameSet g;
    ASSERT_TRUE(g.LoadFromCoded(Coded({
        "\x01"
        "1",  // classic
        "\x02"
        "4",  // maxp
        "\x04"
        "somebody",  // aplr: not in the schema
        "\x05"
        "150",  // lvlstart, out of range
        "\x08"
        "ignored",  // unused code
        "\x11"
        "1\xF9"
        "2\xF9"
        "300",  // stacks
        "\x13"
        "Red\xF9"
        "Blue",  // teams
        std::string("\x15") + pieceWeights,
        "\x1F"
        "0",  // holdpiece
        "\x28"
        "zz",  // beyond the table
        "",    // empty field
    })));
    EXPECT_EQ(g.GetValue("classic"), "1");
    EXPECT_EQ(g.GetValue("maxp"), "4");
    EXPECT_EQ(g.GetValue("aplr"), "");
    EXPECT_EQ(g.Count(), 66u);
    EXPECT_EQ(g.GetValue("lvlstart"), "1");
    EXPECT_EQ(g.GetValue("stacks"), Items({"1", "2", "0", "0", "0", "0"}));
    EXPECT_EQ(g.GetValue("teams"), Items({"Red", "Blue", "", "", "", ""}));
    EXPECT_EQ(g.GetValue("piecechance"),
              "111"
              "44" +
                  std::string(20, '5') + std::string(20, '6') + std::string(20, '7'));
    EXPECT_EQ(g.GetValue("holdpiece"), "0");
}

TEST(GameSetCoded, SpecialChancesPerSet) {
    std::string weights(56, '\x0A');  // every weight 0
    weights[0] = 11;                  // set 1: one a
    weights[14 + 13] = 12;            // set 2: two m
    weights[28 + 2] = 10 + 3;         // set 3: three n
    TGameSet g;
    ASSERT_TRUE(g.LoadFromCoded(Coded({"\x14" + weights.substr(0, 50)})));
    EXPECT_EQ(g.GetValue("sbchance1"), "a");
    EXPECT_EQ(g.GetValue("sbchance2"), "mm");
    EXPECT_EQ(g.GetValue("sbchance3"), "nnn");
    // Set 4 lost its last six bytes (o v i d f m): those letters get weight 20.
    EXPECT_EQ(g.GetValue("sbchance4"), std::string(20, 'o') + std::string(20, 'v') +
                                           std::string(20, 'i') + std::string(20, 'd') +
                                           std::string(20, 'f') + std::string(20, 'm'));
}

TEST(GameSetCoded, EmptyChanceFieldGivesWeightTwentyEverywhere) {
    TGameSet g;
    ASSERT_TRUE(g.LoadFromCoded(Coded({"\x14",
                                       "\x02"
                                       "3"})));
    std::string expected;
    for (char c : std::string("acnrsbgqovidfm")) {
        expected += std::string(20, c);
    }
    for (int s = 1; s <= 4; ++s) {
        EXPECT_EQ(g.GetValue("sbchance" + std::to_string(s)), expected);
    }
    EXPECT_EQ(g.GetValue("maxp"), "3");
}

TEST(GameSetCoded, BadNumberStopsButKeepsTheFieldsBefore) {
    TGameSet g;
    EXPECT_FALSE(
        g.LoadFromCoded(Coded({"\x02"
                               "2",
                               "\x03"
                               "lots",
                               "\x05"
                               "9"})));
    EXPECT_EQ(g.GetValue("maxp"), "2");
    EXPECT_EQ(g.GetValue("maxs"), "200");
    EXPECT_EQ(g.GetValue("lvlstart"), "1");
    EXPECT_FALSE(g.LoadFromCoded(Coded({"\x01"})));  // an empty number is no number
}

// Old files may repeat a code: each field sets its keys again, so the last
// one before a bad number decides the value, and the keys stand in the order
// of their last setting.
TEST(GameSetCoded, RepeatedCodesEndAsIfEveryFieldWereApplied) {
    const std::string chances = Bytes({11, 12});  // one a, two c
    const std::string coded = Coded({
        "\x02"
        "2",                           // maxp
        "\x14" + std::string(56, 30),  // every special twenty times
        "\x03"
        "100",  // maxs
        "\x02"
        "5",  // maxp again
        "\x14" + chances + std::string(54, 10),
        "\x03"
        "7",  // maxs again
        "\x02"
        "x",  // a bad number: the end
        "\x03"
        "9",
    });
    TGameSet g;
    EXPECT_FALSE(g.LoadFromCoded(coded));
    EXPECT_EQ(g.GetValue("maxp"), "5");
    EXPECT_EQ(g.GetValue("maxs"), "7");
    EXPECT_EQ(g.GetValue("sbchance1"), "acc");
    EXPECT_EQ(g.GetValue("sbchance4"), "");

    // The same set built field by field.
    TGameSet expected;
    expected.SetInt("maxp", 5);
    for (int s = 1; s <= 4; ++s) {
        expected.SetValue("sbchance" + std::to_string(s), s == 1 ? "acc" : "");
    }
    expected.SetInt("maxs", 7);
    // Every set draws its own empty piece chance.
    const auto listed = [](const TGameSet& set) {
        std::vector<std::string> lines;
        for (const auto& pair : set.Pairs()) {
            lines.push_back(pair.key + "=" + (pair.key == "piecechance" ? "?" : pair.value));
        }
        return lines;
    };
    EXPECT_EQ(listed(g), listed(expected));
}

}  // namespace
}  // namespace pk
