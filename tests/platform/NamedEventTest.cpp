#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/InputEvents.h"
#include "platform/NamedEvent.h"

namespace {

TEST(NamedEvent, TestingAnAutoEventConsumesItsSignalAManualOneKeepsIt) {
    struct SCase {
        EEventReset reset;
        bool secondTest;
    };
    for (const SCase& c : {SCase{EEventReset::Auto, false}, SCase{EEventReset::Manual, true}}) {
        CNamedEvent event("E", c.reset);
        EXPECT_FALSE(event.Wait(0)) << "events start non-signalled";
        event.Set();
        event.Set();  // setting twice is still one signal
        EXPECT_TRUE(event.Wait(0));
        EXPECT_EQ(event.Wait(0), c.secondTest);
        event.Reset();
        EXPECT_FALSE(event.Wait(0));
    }
}

TEST(NamedEvent, AutoEventReleasesExactlyOneOfSeveralWaiters) {
    CNamedEvent event("E", EEventReset::Auto);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            if (event.Wait(1500)) {
                ++woken;
            }
        });
    }
    event.Set();
    for (auto& t : waiters) {
        t.join();
    }
    EXPECT_EQ(woken.load(), 1);
}

TEST(NamedEvent, ManualEventReleasesEveryWaiter) {
    CNamedEvent event("E", EEventReset::Manual);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            if (event.Wait(20000)) {
                ++woken;
            }
        });
    }
    event.Set();
    for (auto& t : waiters) {
        t.join();
    }
    EXPECT_EQ(woken.load(), 3);
}

TEST(InputEvents, SixEventsByNameWithTheirResetKinds) {
    CInputEvents events;
    struct SCase {
        std::string_view name;
        CNamedEvent* event;
        EEventReset reset;
    };
    const SCase cases[] = {
        {"CLICKEVENT_QUILLO", &events.ClickDown(), EEventReset::Auto},
        {"CLICKUPEVENT_QUILLO", &events.ClickUp(), EEventReset::Auto},
        {"KEYEVENT_QUILLO", &events.KeyDown(), EEventReset::Auto},
        {"KEYUPEVENT_QUILLO", &events.KeyUp(), EEventReset::Auto},
        {"PAUSE_QUILLO", &events.Pause(), EEventReset::Manual},
        {"SAVE_QUILLO", &events.Save(), EEventReset::Manual},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(events.Find(c.name), c.event) << c.name;
        EXPECT_EQ(c.event->ResetKind(), c.reset) << c.name;
    }
    EXPECT_EQ(events.Find("NO_SUCH_EVENT"), nullptr);
}

TEST(InputEvents, DrainingClearsTheAutoEventsAndLeavesPauseAndStop) {
    CInputEvents events;
    for (CNamedEvent* e : {&events.ClickDown(), &events.ClickUp(), &events.KeyDown(),
                           &events.KeyUp(), &events.Pause(), &events.Save()}) {
        e->Set();
    }
    events.DrainAutoEvents();
    EXPECT_FALSE(events.ClickDown().Wait(0));
    EXPECT_FALSE(events.ClickUp().Wait(0));
    EXPECT_FALSE(events.KeyDown().Wait(0));
    EXPECT_FALSE(events.KeyUp().Wait(0));
    EXPECT_TRUE(events.Pause().Wait(0));
    EXPECT_TRUE(events.Save().Wait(0));
}

}  // namespace
