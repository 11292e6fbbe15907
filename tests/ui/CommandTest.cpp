#include "ui/Command.h"
#include "support/ScriptedHost.h"
#include "ui/Host.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

TEST(RunCommand, AFailureIsOneCriticalBoxAndTheHourglassIsGoneOnce) {
    test::ScriptedHost host;
    host.onMessage(QString::fromUtf8("Die Datei X.MDB ist beschädigt."));
    const bool ran = ui::runCommand(host, [&]() {
        ui::Busy outer(host, QStringLiteral("Kurse werden gesetzt"));
        ui::Busy inner(host);
        throw std::runtime_error("Die Datei X.MDB ist beschädigt.");
    });
    EXPECT_FALSE(ran);
    EXPECT_EQ(host.busyDepth, 0) << "each guard took its hourglass back, and nothing more";
    EXPECT_EQ(host.status, "");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, "Kurs- und Blockbildung");
    EXPECT_EQ(host.messages[0].icon, ui::Icon::Critical);
    EXPECT_EQ(host.messages[0].buttons, ui::Buttons::Ok);

    host.onMessage("Nicht genug Arbeitsspeicher.").onMessage("Unbekannter Fehler.");
    EXPECT_FALSE(ui::runCommand(host, []() { throw std::bad_alloc(); }));
    EXPECT_FALSE(ui::runCommand(host, []() { throw 42; }));
    EXPECT_EQ(host.busyDepth, 0);
}

TEST(RunCommand, AHandlerThatSucceedsShowsNothing) {
    test::ScriptedHost host;
    int runs = 0;
    EXPECT_TRUE(ui::runCommand(host, [&]() {
        ui::Busy busy(host);
        ++runs;
    }));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(host.busyDepth, 0);
    EXPECT_TRUE(host.messages.empty());
}
