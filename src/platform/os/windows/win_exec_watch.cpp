#include "platform/os/exec_watch.h"

namespace zerva {

namespace {

// Windows tells of program starts only through the management service's
// event queries, which Zerva does not hold open: nothing is recorded.
class NoExecWatch : public ExecWatch {
public:
    State state() const override { return State::Unsupported; }
    bool take(std::vector<ExecSeen>& out, std::size_t limit) override
    {
        static_cast<void>(limit);
        out.clear();
        return true;
    }
};

} // namespace

std::unique_ptr<ExecWatch> MakeSystemExecWatch()
{
    return std::make_unique<NoExecWatch>();
}

} // namespace zerva
