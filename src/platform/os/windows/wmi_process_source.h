#pragma once

#include "platform/os/process_source.h"

#include <string>

namespace zerva {

// Reads the process list from Windows Management Instrumentation: the
// Win32_Process objects of the local service, in the service's order.
// The namespace is a parameter so tests can make the connection fail.
class WmiProcessSource : public ProcessSource {
public:
    explicit WmiProcessSource(std::wstring nameSpace = L"root\\cimv2");

    // Connects, queries and releases everything again on every call, so
    // that nothing of the service is held between refreshes.
    bool snapshot(std::vector<ProcessInfo>& out) override;

    // Enables SeDebugPrivilege on the process token so that the service
    // may report other users' processes fully. False where the account
    // does not hold it; the list is then just less complete.
    static bool enableDebugPrivilege();

private:
    std::wstring m_nameSpace;
};

} // namespace zerva
