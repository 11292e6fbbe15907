#pragma once

#include "blocking/Random.h"
#include "blocking/SearchTally.h"
#include "blocking/StudentSolver.h"

#include <utility>
#include <vector>

namespace blocking::search {

// A move a chain tries: course k1 from option o1 to option `to`, and where k2 is not -1, k2
// (of the same family) from o2 to `to2`: the two swap their rails, k2 makes room for k1 on its
// old rails, or both go together.
struct Move {
    int k1 = -1;
    int o1 = -1;
    int to = -1;
    int k2 = -1;
    int o2 = -1;
    int to2 = -1;
};

// The moves a chain tries and how they are made and taken back. A move puts one course onto
// other rails, or swaps the rails of two courses with the same options, and re-solves exactly
// (StudentSolver) each student it may concern; while the plan is free of collisions, the
// uneven groups are then evened out along paths of students. What a move changes is journalled
// so that a rejected move is undone exactly. Whether a move is kept is not decided here (see
// Annealing).
class Moves {
public:
    Moves(const Problem& p, Tally& t, Random& random);

    // The next move to try: mostly a course of a colliding student while there are collisions,
    // of an uneven group while there are none, else any movable course.
    Move propose();
    // Makes the move; the counts are up to date after.
    void make(const Move& mv);
    // Takes back the move just made.
    void undo(const Move& mv);
    // Puts course k onto option o and re-solves everyone it touches, journalling nothing: a
    // shake of a restarted chain.
    void shake(int k, int o);

    // One student's free choices solved exactly for the current rails; then those a rule ties
    // to him (journalled when journal is set).
    void resolve(int s, bool journal = false, int depth = 0);
    // Evens out every uneven group, journalling nothing.
    void evenOutAll();
    // Each student who left a course of the model solved once more, taking it back where no
    // other is better; the plan's cost does not grow.
    void polish();

private:
    int pickCourse();
    int blocker(int g);
    // Where teachers or the planner's rules bind, a course moved alone mostly lands beside
    // another course of its teacher or a course it must stay apart from, and the move is
    // lost. These moves aim at rails where it fits, or take the course in its way along.
    bool fits(int k, const RailSet& rails, int leaving) const;
    int fittingPartner(int k, const std::vector<int>& family);
    void aim(Move& mv);
    // The option of course c on the rails of course k's option o; -1 where c has none.
    int sameRails(int c, int k, int o) const;
    // Whether the student might do better now that course k stands elsewhere.
    bool concerned(int s, int k) const;
    void touch(int k);
    void remember(int s);
    void undoStudents();
    // Whether free choice f of student s may take course k, as the rules tying him have it.
    bool allowed(int s, int f, int k) const;
    void solve(int s);

    // -------- evening out a group along paths of students
    RailSet otherRails(int s, int except) const;
    void evenOut(int g);
    bool evenOutFrom(int g, int a);
    bool sideStep(int s, int f, int y, std::pair<int, int>& side) const;
    void shift(int a, int b);
    void evenOutUneven();

    struct Entry {
        int student;
        int conflicts;
        int offset;
    };

    const Problem& p_;
    const Model& m_;
    Tally& t_;
    Random& random_;

    std::vector<int> mark_; // per student: the move that touched it last
    int stamp_ = 0;
    std::vector<int> touchedNow_;
    std::vector<Entry> journal_;
    std::vector<int> old_;
    std::vector<int> pick_;

    std::vector<int> order_, queue_, work_;
    std::vector<int> seen_;                 // per course: the search that reached it
    std::vector<std::pair<int, int>> from_; // per course: (course, free choice) it came from
    std::vector<std::pair<int, int>> side_; // per course: (free choice, course) stepped aside
    int visit_ = 0;

    const bool bound_; // the school names teachers or rules on placements
    bool polishing_ = false;
    std::vector<int> aims_;

    StudentSolver solver_;
    std::vector<int> rows_;
    std::vector<StudentSolver::Candidate> cands_;
    std::vector<int> chosen_;
};

} // namespace blocking::search
