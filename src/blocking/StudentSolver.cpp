#include "blocking/StudentSolver.h"

#include <algorithm>
#include <limits>

namespace blocking {

namespace {

constexpr std::int64_t kNoCell = std::int64_t{1} << 52;
constexpr std::int64_t kFar = std::numeric_limits<std::int64_t>::max() / 4;
// Trying courses on several rails stops here; the best assignment found so far stands (it is
// always a valid one).
constexpr int kMaxLeaves = 400;

} // namespace

std::int64_t StudentSolver::solve(const std::vector<int>& rows, const std::vector<Candidate>& cands,
                                  const RailSet& occupied, std::vector<int>& chosen) {
    rows_ = &rows;
    cands_ = &cands;
    n_ = static_cast<int>(rows.size()) - 1;
    const std::int64_t greedy = firstGuess(occupied, chosen);
    if (!choicesMeet(occupied, chosen))
        return greedy;
    validStart(occupied, chosen);
    splitChoices();
    search(occupied);
    chosen = bestChosen_;
    return best_;
}

// Per choice: its collision (or railless) candidate, and its cheapest on free rails. Returns
// the cost of each choice at its cheapest.
std::int64_t StudentSolver::firstGuess(const RailSet& occupied, std::vector<int>& chosen) {
    const std::vector<int>& rows = *rows_;
    const std::vector<Candidate>& cands = *cands_;
    chosen.assign(n_, -1);
    privateCand_.assign(n_, -1);
    privateCost_.assign(n_, 0);
    onRails_.assign(n_, 0);
    std::int64_t greedy = 0;
    for (int j = 0; j < n_; ++j) {
        int any = -1;
        int railless = -1;
        int onRails = -1;
        for (int c = rows[j]; c < rows[j + 1]; ++c) {
            const Candidate& k = cands[c];
            if (any < 0 || k.cost < cands[any].cost)
                any = c;
            if (k.rails.empty()) {
                if (railless < 0 || k.cost < cands[railless].cost)
                    railless = c;
            } else if (!k.rails.intersects(occupied) &&
                       (onRails < 0 || k.cost < cands[onRails].cost)) {
                onRails = c;
            }
        }
        std::int64_t cost = kCollision + cands[any].cost;
        int priv = any;
        if (railless >= 0 && cands[railless].cost < cost) {
            cost = cands[railless].cost;
            priv = railless;
        }
        privateCand_[j] = priv;
        privateCost_[j] = cost;
        const bool rails = onRails >= 0 && cands[onRails].cost < cost;
        chosen[j] = rails ? onRails : priv;
        onRails_[j] = rails;
        greedy += rails ? cands[onRails].cost : cost;
    }
    return greedy;
}

// Whether two choices at their cheapest meet on a rail; when not, the first guess is optimal.
bool StudentSolver::choicesMeet(const RailSet& occupied, const std::vector<int>& chosen) const {
    RailSet seen = occupied;
    for (int j = 0; j < n_; ++j) {
        if (!onRails_[j])
            continue;
        const RailSet& r = (*cands_)[chosen[j]].rails;
        if (r.intersects(seen))
            return true;
        seen |= r;
    }
    return false;
}

// A valid start: choices that meet an earlier one collide.
void StudentSolver::validStart(const RailSet& occupied, std::vector<int>& chosen) {
    const std::vector<Candidate>& cands = *cands_;
    best_ = 0;
    RailSet seen = occupied;
    for (int j = 0; j < n_; ++j) {
        if (onRails_[j] && !cands[chosen[j]].rails.intersects(seen)) {
            seen |= cands[chosen[j]].rails;
            best_ += cands[chosen[j]].cost;
            continue;
        }
        chosen[j] = privateCand_[j];
        best_ += privateCost_[j];
    }
    bestChosen_ = chosen;
}

// Choices with a course on several rails are tried course by course; the others, with the
// choices that take none of those, go to the Hungarian method.
void StudentSolver::splitChoices() {
    const std::vector<int>& rows = *rows_;
    const std::vector<Candidate>& cands = *cands_;
    multi_.clear();
    single_.clear();
    for (int j = 0; j < n_; ++j) {
        bool several = false;
        for (int c = rows[j]; c < rows[j + 1] && !several; ++c)
            several = cands[c].rails.several();
        (several ? multi_ : single_).push_back(j);
    }
    // Least cost of each multi-rail choice on its own: the lower bound of what it adds.
    cheapest_.assign(multi_.size() + 1, 0);
    for (int i = static_cast<int>(multi_.size()) - 1; i >= 0; --i) {
        const int j = multi_[i];
        std::int64_t least = privateCost_[j];
        for (int c = rows[j]; c < rows[j + 1]; ++c)
            least = std::min(least, cands[c].cost);
        cheapest_[i] = cheapest_[i + 1] + least;
    }
}

void StudentSolver::search(const RailSet& occupied) {
    stay_.assign(n_, 0);
    if (order_.size() < multi_.size())
        order_.resize(multi_.size());
    current_.assign(n_, -1);
    leaves_ = 0;
    if (multi_.empty()) {
        const std::int64_t total = assign(single_, occupied, &current_);
        if (total < best_) {
            best_ = total;
            bestChosen_ = current_;
        }
        return;
    }
    base_ = assign(single_, occupied, nullptr);
    choose(0, occupied, 0, 0);
}

void StudentSolver::choose(int i, const RailSet& blocked, std::int64_t cost, std::int64_t stayed) {
    // Whatever follows costs at least the other choices' Hungarian before these were taken.
    if (cost + stayed + cheapest_[i] + base_ >= best_ || leaves_ > kMaxLeaves)
        return;
    const std::vector<int>& rows = *rows_;
    const std::vector<Candidate>& cands = *cands_;
    if (i == static_cast<int>(multi_.size())) {
        ++leaves_;
        rest_ = single_;
        for (int j : multi_)
            if (stay_[j])
                rest_.push_back(j);
        const std::int64_t total = cost + assign(rest_, blocked, &current_);
        if (total < best_) {
            best_ = total;
            bestChosen_ = current_;
        }
        return;
    }
    const int j = multi_[i];
    // Cheapest first, so that a good bound comes early.
    std::vector<int>& order = order_[i];
    order.clear();
    for (int c = rows[j]; c < rows[j + 1]; ++c)
        if (cands[c].rails.several() && !cands[c].rails.intersects(blocked))
            order.push_back(c);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return cands[a].cost < cands[b].cost; });
    for (int c : order) {
        const Candidate& k = cands[c];
        current_[j] = c;
        choose(i + 1, blocked | k.rails, cost + k.cost, stayed);
    }
    // Or it takes a course on one rail, or collides.
    std::int64_t least = privateCost_[j];
    for (int c = rows[j]; c < rows[j + 1]; ++c)
        if (!cands[c].rails.several())
            least = std::min(least, cands[c].cost);
    stay_[j] = 1;
    choose(i + 1, blocked, cost, stayed + least);
    stay_[j] = 0;
}

bool StudentSolver::usable(int c, const RailSet& blocked) const {
    const Candidate& k = (*cands_)[c];
    return !k.rails.empty() && !k.rails.several() && !k.rails.intersects(blocked);
}

std::int64_t StudentSolver::assign(const std::vector<int>& which, const RailSet& blocked,
                                   std::vector<int>* chosen) {
    bool meet = false;
    std::int64_t total = cheapestEach(which, blocked, chosen, meet);
    if (!meet)
        return total;
    total = 0;
    for (int part = 0; part < static_cast<int>(partRails_.size()); ++part)
        total += assignPart(part, which, blocked, chosen);
    // Choices that reach no free rail collide, or take a course on no rail.
    for (size_t i = 0; i < which.size(); ++i)
        if (rowPart_[i] < 0) {
            total += privateCost_[which[i]];
            if (chosen)
                (*chosen)[which[i]] = privateCand_[which[i]];
        }
    return total;
}

// Each choice at its cheapest: the answer when no two of them want one rail (meet stays
// false). Meanwhile the choices fall apart into parts that share no rail (the three-hour rails,
// the two-hour ones ...), each an assignment problem of its own.
std::int64_t StudentSolver::cheapestEach(const std::vector<int>& which, const RailSet& blocked,
                                         std::vector<int>* chosen, bool& meet) {
    const std::vector<int>& rows = *rows_;
    const std::vector<Candidate>& cands = *cands_;
    std::int64_t total = 0;
    RailSet seen;
    partRails_.clear();
    rowPart_.assign(which.size(), -1);
    for (size_t i = 0; i < which.size(); ++i) {
        const int row = which[i];
        int best = -1;
        RailSet reach;
        for (int c = rows[row]; c < rows[row + 1]; ++c)
            if (usable(c, blocked)) {
                reach |= cands[c].rails;
                if (best < 0 || cands[c].cost < cands[best].cost)
                    best = c;
            }
        if (best < 0 || cands[best].cost >= privateCost_[row]) {
            total += privateCost_[row];
            if (chosen)
                (*chosen)[row] = privateCand_[row];
        } else {
            total += cands[best].cost;
            if (chosen)
                (*chosen)[row] = best;
            meet = meet || cands[best].rails.intersects(seen);
            seen |= cands[best].rails;
        }
        if (!reach.empty())
            rowPart_[i] = joinParts(reach);
    }
    return total;
}

// The part of a choice whose rails reach these: the parts they touch joined into one, or a new
// part.
int StudentSolver::joinParts(const RailSet& reach) {
    int part = -1;
    for (int q = 0; q < static_cast<int>(partRails_.size()); ++q) {
        if (!partRails_[q].intersects(reach))
            continue;
        if (part < 0) {
            part = q;
            continue;
        }
        partRails_[part] |= partRails_[q];
        partRails_[q] = RailSet();
        for (int& rp : rowPart_)
            if (rp == q)
                rp = part;
    }
    if (part < 0) {
        part = static_cast<int>(partRails_.size());
        partRails_.emplace_back();
    }
    partRails_[part] |= reach;
    return part;
}

// One part as an assignment problem: its choices against its free rails and one collision
// column per choice.
std::int64_t StudentSolver::assignPart(int part, const std::vector<int>& which,
                                       const RailSet& blocked, std::vector<int>* chosen) {
    const std::vector<int>& rows = *rows_;
    const std::vector<Candidate>& cands = *cands_;
    partRows_.clear();
    for (size_t i = 0; i < which.size(); ++i)
        if (rowPart_[i] == part)
            partRows_.push_back(which[i]);
    if (partRows_.empty())
        return 0;
    const int nr = static_cast<int>(partRows_.size());
    colRail_.clear();
    partRails_[part].forEach([&](int r) {
        if (!blocked.has(r)) {
            railCol_[r] = static_cast<int>(colRail_.size());
            colRail_.push_back(r);
        }
    });
    const int railCols = static_cast<int>(colRail_.size());
    const int m = railCols + nr;
    a_.assign(nr * m, kNoCell);
    cellCand_.assign(nr * m, -1);
    for (int i = 0; i < nr; ++i) {
        const int row = partRows_[i];
        for (int c = rows[row]; c < rows[row + 1]; ++c) {
            if (!usable(c, blocked))
                continue;
            const int cell = i * m + railCol_[cands[c].rails.first()];
            if (cands[c].cost < a_[cell]) {
                a_[cell] = cands[c].cost;
                cellCand_[cell] = c;
            }
        }
        a_[i * m + railCols + i] = privateCost_[row];
    }
    for (int r : colRail_)
        railCol_[r] = -1;
    const std::int64_t total = hungarian(nr, m);
    if (chosen)
        for (int i = 0; i < nr; ++i) {
            const int col = rowCol_[i];
            (*chosen)[partRows_[i]] =
                col < railCols ? cellCand_[i * m + col] : privateCand_[partRows_[i]];
        }
    return total;
}

std::int64_t StudentSolver::hungarian(int n, int m) {
    u_.assign(n + 1, 0);
    v_.assign(m + 1, 0);
    p_.assign(m + 1, 0);
    way_.assign(m + 1, 0);
    for (int i = 1; i <= n; ++i) {
        p_[0] = i;
        int j0 = 0;
        minv_.assign(m + 1, kFar);
        used_.assign(m + 1, 0);
        do {
            used_[j0] = 1;
            const int i0 = p_[j0];
            std::int64_t delta = kFar;
            int j1 = 0;
            const std::int64_t* row = a_.data() + (i0 - 1) * m;
            for (int j = 1; j <= m; ++j) {
                if (used_[j])
                    continue;
                const std::int64_t cur = row[j - 1] - u_[i0] - v_[j];
                if (cur < minv_[j]) {
                    minv_[j] = cur;
                    way_[j] = j0;
                }
                if (minv_[j] < delta) {
                    delta = minv_[j];
                    j1 = j;
                }
            }
            for (int j = 0; j <= m; ++j) {
                if (used_[j]) {
                    u_[p_[j]] += delta;
                    v_[j] -= delta;
                } else {
                    minv_[j] -= delta;
                }
            }
            j0 = j1;
        } while (p_[j0] != 0);
        do {
            const int j1 = way_[j0];
            p_[j0] = p_[j1];
            j0 = j1;
        } while (j0 != 0);
    }
    rowCol_.assign(n, -1);
    std::int64_t cost = 0;
    for (int j = 1; j <= m; ++j)
        if (p_[j] != 0) {
            rowCol_[p_[j] - 1] = j - 1;
            cost += a_[(p_[j] - 1) * m + (j - 1)];
        }
    return cost;
}

} // namespace blocking
