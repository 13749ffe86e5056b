#include "support/Signal.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using vq::Connection;
using vq::Signal;

TEST(Signal, HandlersRunInConnectionOrderAndCanChangeByReferenceArguments) {
    Signal<std::string&> signal;
    std::vector<std::string> seen;
    Connection a = signal.Connect([&](std::string& s) {
        seen.push_back("a:" + s);
        s += "!";
    });
    Connection b = signal.Connect([&](std::string& s) { seen.push_back("b:" + s); });
    std::string info = "sync";
    signal.Raise(info);
    EXPECT_EQ(seen, (std::vector<std::string>{"a:sync", "b:sync!"}));
    EXPECT_EQ(info, "sync!");
}

TEST(Signal, DestroyingOrResettingTheTokenDisconnects) {
    Signal<int> signal;
    int calls = 0;
    {
        Connection c = signal.Connect([&](int) { ++calls; });
        signal.Raise(1);
    }
    signal.Raise(2);
    EXPECT_EQ(calls, 1);
    Connection d = signal.Connect([&](int) { ++calls; });
    d.Reset();
    signal.Raise(3);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(signal.ConnectionCount(), 0u);

    // Moving a token keeps exactly one live connection.
    Connection e = signal.Connect([&](int) { ++calls; });
    Connection f = std::move(e);
    signal.Raise(4);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(f.IsConnected());
}

TEST(Signal, HandlersMayDisconnectThemselvesAndOthersDuringARaise) {
    Signal<> signal;
    std::vector<std::string> seen;
    Connection second;
    Connection first = signal.Connect([&] {
        seen.push_back("first");
        second.Reset();  // not called in this raise any more
        first.Reset();   // disconnect itself while running
    });
    second = signal.Connect([&] { seen.push_back("second"); });
    Connection late;
    Connection third = signal.Connect([&] {
        seen.push_back("third");
        if (!late.IsConnected()) late = signal.Connect([&] { seen.push_back("late"); });
    });
    signal.Raise();
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "third"}));
    seen.clear();
    signal.Raise();
    EXPECT_EQ(seen, (std::vector<std::string>{"third", "late"}));
}

TEST(Signal, TokensOutliveTheirSignalHarmlessly) {
    Connection token;
    {
        Signal<int> signal;
        token = signal.Connect([](int) {});
        EXPECT_TRUE(token.IsConnected());
    }
    EXPECT_FALSE(token.IsConnected());
    token.Reset();  // must not touch the dead signal
}
