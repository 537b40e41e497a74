#include "game/zrspares.h"

#include <gtest/gtest.h>

#include <string>

#include "support/asan.h"

#ifdef PK_TEST_ASAN
#include <sanitizer/lsan_interface.h>
#endif

namespace pk {
namespace {

struct Entry {
    int kind = 0;
    std::string text;
};

TEST(SparePoolTest, KeepsUpToItsLimitAndHandsBackWhatItKept) {
    SparePool<Entry, 2> pool;
    auto a = std::make_unique<Entry>();
    a->text.assign(300, 'a');
    Entry* const kept = a.get();
    pool.Give(std::move(a));
    pool.Give(std::make_unique<Entry>());
    pool.Give(std::make_unique<Entry>());  // no room: freed
    pool.Give(nullptr);

    std::unique_ptr<Entry> second = pool.Take();
    std::unique_ptr<Entry> first = pool.Take();
    EXPECT_EQ(first.get(), kept);
    EXPECT_EQ(first->text, std::string(300, 'a'));  // its room is what reuse is for
    std::unique_ptr<Entry> fresh = pool.Take();
    ASSERT_TRUE(fresh);
    EXPECT_TRUE(fresh->text.empty());
}

#ifdef PK_TEST_ASAN
TEST(SparePoolTest, AKeptObjectIsPoisonedYetWhatItOwnsIsNotALeak) {
    SparePool<Entry, 4> pool;
    for (int i = 0; i < 3; ++i) {
        auto e = std::make_unique<Entry>();
        e->text.assign(500 + i, 'x');  // on the heap, owned only through the kept object
        const Entry* raw = e.get();
        pool.Give(std::move(e));
        EXPECT_TRUE(__asan_address_is_poisoned(raw));
    }
    // The leak checker skips poisoned memory; the pool must still show it what it owns.
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
    std::unique_ptr<Entry> back = pool.Take();
    EXPECT_FALSE(__asan_address_is_poisoned(back.get()));
    EXPECT_EQ(back->text.size(), 502u);
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
}
#endif

}  // namespace
}  // namespace pk
