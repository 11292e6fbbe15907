#pragma once

#include "placement/SetzenK.h"
#include "ui/QuietHost.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <random>

// A planner who clicks at random: a seeded run of the workspace's commands, list and grid
// clicks, with every question answered by chance. Two runs of one seed on one file do the same,
// so a run's outcome (the file and the screen) pins down what the commands do.
namespace test {

class RandomHost : public ui::QuietHost {
public:
    explicit RandomHost(std::uint32_t seed) : rng_(seed) {}
    // Portable across standard libraries, unlike the distributions.
    int pick(int n) { return n <= 0 ? 0 : static_cast<int>(rng_() % static_cast<unsigned>(n)); }

    // Every message, prompt and window shown, in order.
    QStringList shown;

    ui::Answer message(const ui::Message& m) override;
    std::optional<QString> inputBox(const QString& prompt, const QString&, const QString&) override;
    void showModal(ui::Window& w) override;

private:
    std::mt19937 rng_;
};

// One random step on the loaded window: a selection in a list or the grid, or a command
// ("leeren Kurs löschen" only when deleting). Returns what it did, for the run's trace.
QString randomStep(placement::SetzenK& w, RandomHost& host, bool deleting = true);

// What the window shows: the grid, the lists with their selections, the labels.
QStringList screen(const placement::SetzenK& w);

} // namespace test
