#include "ui/Command.h"
#include "support/ScriptedHost.h"
#include "ui/Host.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

TEST(RunCommand, AFailureIsOneCriticalBoxAndTheHourglassIsGoneOnce) {
    test::ScriptedHost host;
    int runs = 0;
    EXPECT_TRUE(ui::runCommand(host, [&]() {
        ui::Busy busy(host);
        ++runs;
    }));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(host.messages.empty()) << "success shows nothing";

    host.onMessage(QString::fromUtf8("Die Datei X.MDB ist beschädigt."))
        .onMessage("Nicht genug Arbeitsspeicher.")
        .onMessage("Unbekannter Fehler.");
    EXPECT_FALSE(ui::runCommand(host, [&]() {
        ui::Busy outer(host, QStringLiteral("Kurse werden gesetzt"));
        ui::Busy inner(host);
        throw std::runtime_error("Die Datei X.MDB ist beschädigt.");
    }));
    EXPECT_EQ(host.busyDepth, 0) << "each guard took its hourglass back, and nothing more";
    EXPECT_EQ(host.status, "");
    EXPECT_FALSE(ui::runCommand(host, []() { throw std::bad_alloc(); }));
    EXPECT_FALSE(ui::runCommand(host, []() { throw 42; }));
    EXPECT_EQ(host.busyDepth, 0);
    for (const ui::Message& m : host.messages) {
        EXPECT_EQ(m.title, "Kurs- und Blockbildung");
        EXPECT_EQ(m.icon, ui::Icon::Critical);
        EXPECT_EQ(m.buttons, ui::Buttons::Ok);
    }
}
