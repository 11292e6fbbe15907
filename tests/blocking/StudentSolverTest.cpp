#include "blocking/StudentSolver.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

using blocking::RailSet;
using blocking::StudentSolver;

namespace {

// The least cost by trying every choice of every row: a course on free rails of its own, or
// the row's collision price.
std::int64_t bruteForce(const std::vector<int>& rows,
                        const std::vector<StudentSolver::Candidate>& c, const RailSet& occupied,
                        const std::vector<std::int64_t>& price) {
    const int n = static_cast<int>(rows.size()) - 1;
    std::int64_t best = INT64_MAX;
    std::vector<int> pick(n, -1);
    std::function<void(int, RailSet, std::int64_t)> go = [&](int j, RailSet used,
                                                             std::int64_t sum) {
        if (j == n) {
            best = std::min(best, sum);
            return;
        }
        go(j + 1, used, sum + price[j]);
        for (int k = rows[j]; k < rows[j + 1]; ++k)
            if (!c[k].rails.empty() && !c[k].rails.intersects(used))
                go(j + 1, used | c[k].rails, sum + c[k].cost);
    };
    go(0, occupied, 0);
    return best;
}

} // namespace

TEST(StudentSolver, FindsTheLeastCostOnRandomStudents) {
    std::mt19937 rng(7);
    StudentSolver solver;
    for (int round = 0; round < 3000; ++round) {
        const auto below = [&rng](unsigned n) { return static_cast<int>(rng() % n); };
        const int n = 1 + below(7), rails = 3 + below(6);
        std::vector<int> rows;
        std::vector<StudentSolver::Candidate> cands;
        std::vector<std::int64_t> price;
        for (int j = 0; j < n; ++j) {
            rows.push_back(static_cast<int>(cands.size()));
            const int k = 1 + below(4);
            // A course on no rail serves without colliding.
            std::int64_t cheapest = INT64_MAX, railless = INT64_MAX;
            for (int i = 0; i < k; ++i) {
                RailSet r;
                const bool placed = below(8) != 0;
                if (placed)
                    r.add(below(rails));
                if (placed && below(4) == 0)
                    r.add(below(rails));
                const std::int64_t cost = below(20);
                cands.push_back({i, cost, r});
                cheapest = std::min(cheapest, cost);
                if (!placed)
                    railless = std::min(railless, cost);
            }
            price.push_back(std::min(StudentSolver::kCollision + cheapest, railless));
        }
        rows.push_back(static_cast<int>(cands.size()));
        RailSet occupied;
        if (below(3) == 0)
            occupied.add(below(rails));
        std::vector<int> chosen;
        ASSERT_EQ(solver.solve(rows, cands, occupied, chosen),
                  bruteForce(rows, cands, occupied, price))
            << "round " << round;
    }
}
