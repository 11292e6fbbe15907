#include "blocking/SearchChain.h"

#include <algorithm>
#include <vector>

namespace blocking::search {

Chain::Chain(const Problem& p, std::uint64_t seed, int index)
    : p_(p), random_(seed * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(index) + 1),
      tally_(p), tries_(p, tally_, random_), annealing_(p) {
    std::vector<int> option(p.courses, -1);
    for (int k : p.movable) {
        int o = -1;
        // "Wenig ändern": every chain starts from the stored plan.
        if (index == 0 || p.keep) {
            const RailSet rest = p.m.placement.rails[k].without(p.f.kept[k]);
            const auto& opts = p.f.options[k];
            const auto it = std::find(opts.begin(), opts.end(), rest);
            if (it != opts.end())
                o = static_cast<int>(it - opts.begin());
        }
        option[k] = o >= 0 ? o : random_.below(static_cast<int>(p.f.options[k].size()));
    }
    for (int k = 0; k < p.courses; ++k) {
        if (p.family[k] < 0 && p.f.options[k].size() == 1)
            option[k] = 0;
        tally_.setOption(k, option[k]);
    }
    tally_.recount();
    std::vector<int> order(p.students);
    for (int s = 0; s < p.students; ++s)
        order[s] = s;
    random_.shuffle(order);
    for (int sweep = 0; sweep < 2; ++sweep)
        for (int s : order)
            tries_.resolve(s);
    tally_.refreshGroups();
    tries_.evenOutAll();
    energy_ = annealing_.energy(tally_);
    best_ = tally_.snapshot();
    lastBetter_ = 0;
    annealing_.startCycle(moves_, best_.cost.conflicts > 0 || best_.cost.teachers > 0 ||
                                      best_.cost.rules > 0);
}

void Chain::step() {
    if (p_.movable.empty())
        return;
    ++moves_;
    const Move mv = tries_.propose();
    tries_.make(mv);
    const double e = annealing_.energy(tally_);
    if (annealing_.accept(e - energy_, moves_, random_)) {
        energy_ = e;
        const Cost c = tally_.cost();
        if (c < best_.cost) {
            best_ = tally_.snapshot();
            lastBetter_ = moves_;
        }
        return;
    }
    tries_.undo(mv);
}

void Chain::restart(const Snapshot& from) {
    tally_.restore(from);
    const int shakes = 1 + random_.below(4);
    for (int i = 0; i < shakes && !p_.movable.empty(); ++i) {
        const int k = p_.movable[random_.below(static_cast<int>(p_.movable.size()))];
        tries_.shake(k, random_.below(static_cast<int>(p_.f.options[k].size())));
    }
    tally_.refreshGroups();
    tries_.evenOutAll();
    energy_ = annealing_.energy(tally_);
    lastBetter_ = moves_;
    if (from.cost < best_.cost)
        best_ = from;
    annealing_.startCycle(moves_,
                          from.cost.conflicts > 0 || from.cost.teachers > 0 || from.cost.rules > 0);
}

} // namespace blocking::search
