#include "core/io/slot_handoff.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <vector>

namespace core {
namespace {

// Every ordering below comes from the handoff's own waits: no test sleeps or times anything.

TEST(SlotHandoffTest, TakerGetsEveryFilledSlotInOrderThenTheEnd) {
    const struct {
        const char* what;
        int slots;
        int items;
        bool lastFlag;  // the filler marks its last slot rather than calling Finished
    } cases[] = {
        {"one slot, reused for each item", 1, 5, true},
        {"three slots, ended by Finished", 3, 100, false},
        {"filler ends without filling a slot", 3, 0, false},
        {"more slots than items", 4, 2, true},
        {"many items through two slots", 2, 1000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> values(static_cast<size_t>(c.slots), -1);
        std::vector<int> taken;
        {
            SlotHandoff handoff(c.slots);
            ASSERT_TRUE(handoff.Start([&] {
                for (int i = 0; i < c.items; ++i) {
                    const std::optional<int> s = handoff.Free();
                    if (!s) {
                        return;
                    }
                    values[static_cast<size_t>(*s)] = i;
                    handoff.Filled(*s, c.lastFlag && i + 1 == c.items);
                }
                if (!c.lastFlag || c.items == 0) {
                    handoff.Finished();
                }
            }));
            std::optional<int> held;
            for (;;) {
                if (held) {
                    // The slot taken before stays the taker's until the next call gives it back.
                    EXPECT_EQ(values[static_cast<size_t>(*held)], taken.back());
                }
                held = handoff.Next();
                if (!held) {
                    break;
                }
                taken.push_back(values[static_cast<size_t>(*held)]);
            }
            EXPECT_FALSE(handoff.Next()) << "the end repeats";
        }
        std::vector<int> expected;
        for (int i = 0; i < c.items; ++i) {
            expected.push_back(i);
        }
        EXPECT_EQ(taken, expected);
    }
}

TEST(SlotHandoffTest, ReaderStoppingEarlyEndsTheTakerAfterWhatWasFilled) {
    // The filler hands over two of the ten items it meant to, then stops: the taker, waiting in
    // Next for more, gets the two and then the end rather than waiting for ever.
    std::vector<int> values(3, -1);
    std::vector<int> taken;
    SlotHandoff handoff(3);
    ASSERT_TRUE(handoff.Start([&] {
        for (int i = 0; i < 10; ++i) {
            const std::optional<int> s = handoff.Free();
            if (!s) {
                return;
            }
            values[static_cast<size_t>(*s)] = 100 + i;
            handoff.Filled(*s, false);
            if (i == 1) {
                handoff.Finished();
                return;
            }
        }
    }));
    while (const std::optional<int> s = handoff.Next()) {
        taken.push_back(values[static_cast<size_t>(*s)]);
    }
    EXPECT_EQ(taken, (std::vector<int>{100, 101}));
    EXPECT_FALSE(handoff.Next());
}

TEST(SlotHandoffTest, TakerLeavingFirstReleasesTheFillerWaitingForAFreeSlot) {
    const struct {
        const char* what;
        int taken;      // slots the taker takes before it leaves
        int mostFills;  // the filler cannot fill more: the rest are taken or full
    } cases[] = {
        {"leaves without taking", 0, 2},
        {"leaves holding one slot", 1, 2},
        {"leaves holding the second slot", 2, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<int> fills{0};
        std::atomic<bool> released{false};
        {
            SlotHandoff handoff(2);
            // Fills for ever: only the taker's leaving can end it.
            ASSERT_TRUE(handoff.Start([&] {
                while (const std::optional<int> s = handoff.Free()) {
                    ++fills;
                    handoff.Filled(*s, false);
                }
                released = true;
            }));
            for (int i = 0; i < c.taken; ++i) {
                ASSERT_TRUE(handoff.Next());
            }
        }  // the handoff's end waits for the filler
        EXPECT_TRUE(released);
        EXPECT_GE(fills, c.taken);
        EXPECT_LE(fills, c.mostFills);
    }
}

}  // namespace
}  // namespace core
