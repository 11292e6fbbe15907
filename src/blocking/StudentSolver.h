#pragma once

#include "blocking/RailSet.h"

#include <cstdint>
#include <vector>

namespace blocking {

// One student's choices onto courses, solved exactly for a given placement: every choice gets
// a course of its own on rails nobody else of his uses, or, at a large cost, its cheapest
// course anyway (a collision); among those, the cheapest by the courses' costs.
//
// Choices against rails are an assignment problem (Hungarian method) as long as every course
// stands on one rail. The choices that can take a course on several rails (a few per student
// at most) are tried course by course, each time with the Hungarian method for the rest,
// cutting off what cannot beat the best found. Students have a few dozen cells, so a solve takes
// microseconds.
class StudentSolver {
public:
    // A course a choice may take, with what it costs.
    struct Candidate {
        int course = 0;
        std::int64_t cost = 0;
        RailSet rails; // empty: the course stands on no rail
    };

    // The cost of a choice that collides, added to its cheapest course's cost.
    static constexpr std::int64_t kCollision = std::int64_t{1} << 40;

    // rows[j] .. rows[j+1]: the candidates of choice j in cands. occupied: rails his fixed
    // courses take. Writes the chosen candidate (index into cands) of each choice into chosen;
    // returns the total cost.
    std::int64_t solve(const std::vector<int>& rows, const std::vector<Candidate>& cands,
                       const RailSet& occupied, std::vector<int>& chosen);

private:
    // The steps of solve.
    std::int64_t firstGuess(const RailSet& occupied, std::vector<int>& chosen);
    bool choicesMeet(const RailSet& occupied, const std::vector<int>& chosen) const;
    void validStart(const RailSet& occupied, std::vector<int>& chosen);
    void splitChoices();
    void search(const RailSet& occupied);
    // Tries the courses on several rails of multi_[i] and later, the rest by assign().
    void choose(int i, const RailSet& blocked, std::int64_t cost, std::int64_t stayed);
    // The Hungarian method for the choices `which` on the rails not blocked (their courses on
    // one rail, or their collision); the candidates into chosen when given.
    std::int64_t assign(const std::vector<int>& which, const RailSet& blocked,
                        std::vector<int>* chosen);
    // A candidate on one rail that is not blocked.
    bool usable(int c, const RailSet& blocked) const;
    // The steps of assign.
    std::int64_t cheapestEach(const std::vector<int>& which, const RailSet& blocked,
                              std::vector<int>* chosen, bool& meet);
    int joinParts(const RailSet& reach);
    std::int64_t assignPart(int part, const std::vector<int>& which, const RailSet& blocked,
                            std::vector<int>* chosen);
    // Hungarian method on an n x m matrix (n <= m); the column of each row into rowCol_.
    std::int64_t hungarian(int n, int m);

    const std::vector<int>* rows_ = nullptr;
    const std::vector<Candidate>* cands_ = nullptr;
    int n_ = 0;
    int leaves_ = 0;
    std::int64_t base_ = 0;
    std::vector<int> multi_, single_, rest_, current_;
    std::vector<char> stay_;
    std::vector<std::vector<int>> order_; // per multi-rail choice: its courses to try
    std::vector<std::int64_t> cheapest_;  // suffix sums over multi_
    std::vector<int> privateCand_;        // per row: its collision (or railless) candidate
    std::vector<std::int64_t> privateCost_;
    std::vector<char> onRails_; // per row of the first guess: on rails of its own
    std::int64_t best_ = 0;
    std::vector<int> bestChosen_;

    // Scratch of the Hungarian method.
    std::vector<std::int64_t> a_;
    std::vector<int> cellCand_;
    // Parts of the choices that share no rail: their rails, each choice's part (-1: none).
    std::vector<RailSet> partRails_;
    std::vector<int> rowPart_, partRows_;
    std::vector<int> colRail_;
    std::vector<int> railCol_ = std::vector<int>(kMaxRails, -1);
    std::vector<std::int64_t> u_, v_, minv_;
    std::vector<int> p_, way_, rowCol_;
    std::vector<char> used_;
};

} // namespace blocking
