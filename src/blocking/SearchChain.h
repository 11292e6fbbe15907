#pragma once

#include "blocking/Random.h"
#include "blocking/SearchAnnealing.h"
#include "blocking/SearchMoves.h"
#include "blocking/SearchTally.h"

#include <cstdint>

namespace blocking::search {

// One chain of the annealing, run on one thread: a plan (Tally) that moves (Moves) change and
// the acceptance rule (Annealing) keeps or takes back, with the best plan it met. A chain that
// finds nothing better for a while starts again from the best plan of all chains, shaken.
// The same seed and index give the same moves.
class Chain {
public:
    // The first chain (index 0) starts from the placement as loaded, the others anywhere (in
    // "Wenig ändern" all from the placement as loaded).
    Chain(const Problem& p, std::uint64_t seed, int index);

    const Snapshot& best() const { return best_; }
    // The plan with its students back in the model's courses where that costs nothing.
    Snapshot polished(const Snapshot& s) {
        tally_.restore(s);
        tries_.polish();
        return tally_.snapshot();
    }
    long long moves() const { return moves_; }

    // Runs up to `moves` moves; stops early when stop() says so. global: the best plan of all
    // chains at the start of the round, where a chain that got stuck starts again.
    template <class Stop> void run(int moves, const Snapshot& global, Stop&& stop) {
        for (int i = 0; i < moves; ++i) {
            // On a large school one move re-solves hundreds of students: the clock is read before
            // every move, so that the time limit holds to a move.
            if (stop())
                return;
            if (moves_ - lastBetter_ > annealing_.stall()) {
                restart(global);
                continue;
            }
            step();
        }
    }

private:
    // Tries one move and keeps it as the annealing decides.
    void step();
    // Starts again from the best plan of all chains, shaken by a few random moves.
    void restart(const Snapshot& from);

    const Problem& p_;
    Random random_;
    Tally tally_;
    Moves tries_;
    Annealing annealing_;
    double energy_ = 0;
    long long moves_ = 0;
    long long lastBetter_ = 0;
    Snapshot best_;
};

} // namespace blocking::search
