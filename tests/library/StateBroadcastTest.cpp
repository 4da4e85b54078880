#include "library/StateBroadcast.h"

#include <gtest/gtest.h>

namespace ortello {
namespace {

struct Recorder {
    std::vector<std::string> events;
    void Attach(TOTStateClient& c, const std::string& name) {
        c.OnCurrencyChange = [this, name](TObject*, int ct) { events.push_back(name + " currency " + std::to_string(ct)); };
        c.OnDiscountChange = [this, name](TObject*) { events.push_back(name + " discount"); };
        c.OnPartRefChange = [this, name](TObject*) { events.push_back(name + " partref"); };
    }
};

TEST(StateBroadcast, KindsReachClientsInRegistrationOrder) {
    TOTStateController controller;
    TOTStateClient a, b;
    Recorder r;
    r.Attach(a, "a");
    r.Attach(b, "b");
    b.SetController(&controller);
    a.SetController(&controller);
    controller.CurrencyChanged(5);
    controller.DiscountChanged();
    controller.PartRefChanged();
    controller.Broadcast(9);  // unknown kinds are ignored
    EXPECT_EQ(r.events, (std::vector<std::string>{"b currency 5", "a currency 5", "b discount", "a discount",
                                                   "b partref", "a partref"}));
    r.events.clear();
    controller.CurrencyChanged(0x107);  // only the low byte travels
    EXPECT_EQ(r.events.front(), "b currency 7");
}

TEST(StateBroadcast, SwitchingControllersMovesTheRegistration) {
    TOTStateController one, two;
    TOTStateClient c;
    c.SetController(&one);
    c.SetController(&two);
    EXPECT_EQ(one.ClientCount(), 0);
    EXPECT_EQ(two.ClientCount(), 1);
    c.SetController(nullptr);
    EXPECT_EQ(two.ClientCount(), 0);
}

TEST(StateBroadcast, ControllerDestroyedFirstLeavesClientsWorking) {
    TOTStateClient c;
    Recorder r;
    r.Attach(c, "c");
    {
        TOTStateController controller;
        c.SetController(&controller);
    }
    EXPECT_EQ(c.Controller(), nullptr);
    TOTStateController next;
    next.DiscountChanged();
    EXPECT_TRUE(r.events.empty());
    c.SetController(&next);
    next.DiscountChanged();
    EXPECT_EQ(r.events, std::vector<std::string>{"c discount"});
}

TEST(StateBroadcast, ClientDestroyedFirstUnregisters) {
    TOTStateController controller;
    {
        TOTStateClient c;
        c.SetController(&controller);
        EXPECT_EQ(controller.ClientCount(), 1);
    }
    EXPECT_EQ(controller.ClientCount(), 0);
    controller.PartRefChanged();  // nothing left to reach
}

TEST(StateBroadcast, KindZeroDropsTheController) {
    TOTStateController controller;
    TOTStateClient c;
    c.SetController(&controller);
    TMessage m;
    m.Msg = kStateMessage;
    m.WParam = skControllerGone;
    c.Dispatch(m);
    EXPECT_EQ(c.Controller(), nullptr);
    // The client also left the list: the controller, destroyed after it, never reaches it.
    EXPECT_EQ(controller.ClientCount(), 0);
}

}  // namespace
}  // namespace ortello
