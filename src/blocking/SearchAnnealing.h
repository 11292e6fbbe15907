#pragma once

#include "blocking/Random.h"
#include "blocking/SearchTally.h"

#include <cmath>

namespace blocking::search {

// The acceptance rule of a chain's simulated annealing: the energy a plan has, and whether a
// move that changes it is kept. A better or equal plan always is; a worse one with the
// probability exp(-d / T), T falling from hot to cold over a cycle of moves. Each cycle starts
// hot enough to leave a collision while the plan has collisions, otherwise only hot enough to
// trade differences of sizes; after the cycle the chain stays cold until it starts again.
class Annealing {
public:
    // Weights of the energy, in units of the sum of squared course sizes: a broken rule of the
    // planner outweighs everything, a teacher's two courses on one rail all the rest, a student's
    // collision all the rest, then a course beyond its limits and each student beyond them, then
    // the largest difference. In "Wenig ändern" a student in another course than stored, and a
    // course on other rails, come after the collisions and before the limits.
    static constexpr double kRuleWeight = 8000;
    static constexpr double kTeacherWeight = 5000;
    static constexpr double kCollisionWeight = 1000;
    static constexpr double kChangeWeight = 500;
    static constexpr double kMoveWeight = 350;
    static constexpr double kLimitWeight = 300;
    static constexpr double kDifferenceWeight = 30;
    // A student's second collision where the bounds prove his first.
    static constexpr double kExtraWeight = 10;

    explicit Annealing(const Problem& p) : p_(p) {}

    double energy(const Tally& t) const;

    // Moves without a better plan before the chain starts again from the best one.
    long long stall() const { return 40LL * static_cast<long long>(p_.movable.size()) + 400; }

    // A new cycle from move `moves` on.
    void startCycle(long long moves, bool colliding) {
        cycleStart_ = moves;
        hot_ = colliding ? 0.3 * kCollisionWeight : 0.4 * kDifferenceWeight;
    }

    // Whether move `moves`, changing the energy by d, is kept. Draws from `random` only for a
    // worse plan.
    bool accept(double d, long long moves, Random& random) const {
        return d <= 0 || random.unit() < std::exp(-d / temperature(moves));
    }

private:
    // Moves over which the temperature falls from hot to cold.
    long long cycle() const { return 25LL * static_cast<long long>(p_.movable.size()) + 300; }
    double temperature(long long moves) const;

    const Problem& p_;
    long long cycleStart_ = 0;
    double hot_ = 1;
};

} // namespace blocking::search
