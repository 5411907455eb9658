#pragma once

#include "platform/os/exec_watch.h"

#include <deque>

namespace zerva::test {

// An exec watch fed by the test: `pending` is handed out by take(), `lost`
// once.
class FakeExecWatch : public ExecWatch {
public:
    State current = State::Working;
    std::deque<ExecSeen> pending;
    bool lost = false;
    std::size_t lastLimit = 0;

    State state() const override { return current; }
    bool take(std::vector<ExecSeen>& out, std::size_t limit) override
    {
        lastLimit = limit;
        out.clear();
        while (!pending.empty() && out.size() < limit) {
            out.push_back(std::move(pending.front()));
            pending.pop_front();
        }
        const bool whole = !lost;
        lost = false;
        return whole;
    }
};

} // namespace zerva::test
