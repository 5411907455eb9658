#pragma once

#include "platform/os/shell.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zerva::test {

// A shell that only records what it was asked to start.
class FakeShell : public Shell {
public:
    enum class Outcome { Started, Fails, Throws };

    std::vector<std::pair<std::string, int>> started;
    Outcome outcome = Outcome::Started;

    bool start(const std::string& commandLine, int windowStyle) override
    {
        started.emplace_back(commandLine, windowStyle);
        if (outcome == Outcome::Throws)
            throw std::runtime_error("no such program");
        return outcome == Outcome::Started;
    }
};

} // namespace zerva::test
