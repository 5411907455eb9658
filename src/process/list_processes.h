#pragma once

#include <QString>
#include <cstddef>
#include <functional>

namespace zerva {

// What the lists keep of each command line: its head. The details window
// reads the whole one when it opens (ProcessSource::commandLine), so that
// a thousand processes with 32 KB command lines cost the lists next to
// nothing.
inline constexpr std::size_t ListCommandLineHead = 1024;

class CheckBox;
class ListView;
class ProcessSource;
struct ProcessInfo;
class RowTexts;
class TrustMemory;

// Empties `list` and fills it with a fresh snapshot from `source`: one row
// per shown process with its caption, path and details block. A process
// with a path is left out when IsTrusted says so of that path as the
// program reported it (the row's tag, below; never the escaped text shown),
// following the entries that are links (TrustMemory::links); one without a
// path is listed, caption only, while `check1` ("Guvenilirleri goster") is ticked,
// unless it hid its path (ProcessInfo::pathSuspect): that one is always
// listed, with an empty path and its details block. A row whose path
// mixes scripts in a component gets a warning (MixedScriptReason).
//
// A process listed although its path is trusted (TrustCheck found that it
// runs another file or something else besides), or one that hid its path,
// carries the reason as its row's warning. `memory` keeps what the trust
// test learnt of each process for the next call; without it, every process
// is inspected afresh.
//
// Each listed row with a path keeps, as its tag, the path as the program
// reported it, for a trusted entry: the shown path has its control
// characters escaped. A path that is not UTF-8 cannot be an entry, and its
// row keeps no tag.
//
// Each row's key is its process's id, with its start time (setStarted).
// `texts`, when given, keeps the rows' texts from one call to the next (see
// RowTexts).
//
// Returns how many processes were left out, by reason. Processes that end
// before the scan reaches them, or whose row fails, are not counted.
struct HiddenCount {
    int trusted = 0;
    int notReadable = 0;    // processes Zerva may not look into
    int kernelThreads = 0;
    int ending = 0;
    int total() const { return trusted + notReadable + kernelThreads + ending; }
};
//
// `read`, when given, is told of every process the scan read, listed or not.
HiddenCount ListProcesses(ListView& list, ProcessSource& source, const CheckBox& check1, const ListView& trList,
                          TrustMemory* memory = nullptr, RowTexts* texts = nullptr,
                          const std::function<void(const ProcessInfo&)>& read = {});

// The count as the status label's tooltip says it: "12 gizli: 10 guvenilir,
// 2 bakilamayan", the reasons that count any in a fixed order.
QString HiddenText(const HiddenCount& hidden);

} // namespace zerva
