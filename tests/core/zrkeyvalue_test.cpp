// The ordered key/value list against a plain model: a vector searched from the front. Random
// operations on keys that differ only in case, or in bytes that hash alike, must leave the
// same pairs in the same order, whatever the index does underneath (growth, removal from a
// run of colliding slots, copies over lists of other sizes, nodes taken from spares).
#include "core/zrkeyvalue.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/zrmisc.h"

namespace pk {
namespace {

class Model {
public:
    void Set(const std::string& key, const std::string& value) {
        Remove(key);
        pairs_.push_back({LowerCase(key), value});
    }
    bool Replace(const std::string& key, const std::string& value) {
        for (auto& p : pairs_) {
            if (p.key == LowerCase(key)) {
                p.value = value;
                return true;
            }
        }
        return false;
    }
    const std::string* Find(const std::string& key) const {
        for (const auto& p : pairs_) {
            if (p.key == LowerCase(key)) {
                return &p.value;
            }
        }
        return nullptr;
    }
    bool Remove(const std::string& key) {
        for (auto it = pairs_.begin(); it != pairs_.end(); ++it) {
            if (it->key == LowerCase(key)) {
                pairs_.erase(it);
                return true;
            }
        }
        return false;
    }
    void Clear() { pairs_.clear(); }
    const std::vector<KeyValueList::Pair>& Pairs() const { return pairs_; }

private:
    std::vector<KeyValueList::Pair> pairs_;
};

void ExpectSame(const KeyValueList& list, const Model& model) {
    ASSERT_EQ(list.Count(), model.Pairs().size());
    auto it = list.Pairs().begin();
    for (const auto& p : model.Pairs()) {
        ASSERT_EQ(it->key, p.key);
        ASSERT_EQ(it->value, p.value);
        ++it;
    }
}

// Keys from a small alphabet, so that they repeat, differ in case, and include byte pairs
// that are the same with their 0x20 bit set ('@' and '`', '[' and '{').
std::string RandomKey(std::mt19937& random) {
    static const std::string kAlphabet = "aAbB@`[{z";
    std::string key(1 + random() % 3, ' ');
    for (char& c : key) {
        c = kAlphabet[random() % kAlphabet.size()];
    }
    if (random() % 8 == 0) {
        key += std::string(9 + random() % 12, 'k');  // past eight bytes
    }
    return key;
}

TEST(KeyValueList, SerialFormWritesLengthsLittleEndian) {
    KeyValueList list;
    list.Set("K", std::string(300, 'v'));
    list.Set("e", "");
    const std::string serial = list.Serialize();
    const std::string head(
        "\x01\x00\x00\x00"   // key length 1
        "k"                  // the key, lower-cased
        "\x2C\x01\x00\x00",  // value length 300
        9);
    const std::string tail(
        "\x01\x00\x00\x00"   // key length 1
        "e"                  // key
        "\x00\x00\x00\x00",  // empty value
        9);
    EXPECT_EQ(serial, head + std::string(300, 'v') + tail);
    EXPECT_EQ(KeyValueList().Serialize(), "");
}

TEST(KeyValueList, RandomOperationsMatchAPlainList) {
    std::mt19937 random(31u);
    KeyValueList list;
    Model model;
    for (int step = 0; step < 20000; ++step) {
        const std::string key = RandomKey(random);
        const std::string value = std::to_string(step) + std::string(random() % 3 * 10, 'v');
        switch (random() % 10) {
            case 0:
            case 1:
            case 2:
            case 3:
                list.Set(key, value);
                model.Set(key, value);
                break;
            case 4:
                ASSERT_EQ(list.Replace(key, value), model.Replace(key, value));
                break;
            case 5:
            case 6:
                ASSERT_EQ(list.Remove(key), model.Remove(key));
                break;
            case 7: {
                const std::string* got = list.Find(key);
                const std::string* want = model.Find(key);
                ASSERT_EQ(got == nullptr, want == nullptr) << key;
                if (got) {
                    ASSERT_EQ(*got, *want);
                }
                break;
            }
            case 8:
                if (random() % 50 == 0) {
                    list.Clear();
                    model.Clear();
                }
                break;
            default: {
                // Copies both ways, over lists of other sizes.
                KeyValueList other;
                for (int i = 0; i < static_cast<int>(random() % 5); ++i) {
                    other.Set(RandomKey(random), "other");
                }
                other = list;
                KeyValueList copy(other);
                list = copy;
                break;
            }
        }
        ASSERT_NO_FATAL_FAILURE(ExpectSame(list, model)) << "step " << step;
    }
}

TEST(KeyValueList, ManyKeysGrowTheIndexAndFindEveryOneInAnyCase) {
    KeyValueList list;
    for (int i = 0; i < 3000; ++i) {
        list.Set("Key" + std::to_string(i), std::to_string(i));
    }
    for (int i = 0; i < 3000; i += 2) {
        ASSERT_TRUE(list.Remove("KEY" + std::to_string(i)));
    }
    for (int i = 0; i < 3000; ++i) {
        const std::string* value = list.Find("kEy" + std::to_string(i));
        if (i % 2 == 0) {
            EXPECT_EQ(value, nullptr) << i;
        } else {
            ASSERT_NE(value, nullptr) << i;
            EXPECT_EQ(*value, std::to_string(i));
        }
    }
    EXPECT_EQ(list.Count(), 1500u);
    EXPECT_EQ(list.Pairs().front().key, "key1");
}

}  // namespace
}  // namespace pk
