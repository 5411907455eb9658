#include "native_answers_test.h"

#include "fake_nt.h"
#include "platform/os/windows/nt_process_source.h"
#include "platform/os/windows/win_code_page.h"
#include "wine_check.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zerva::test {

namespace {

constexpr ULONG kPathById = 88;
constexpr ULONG kCommandLine = 60;

std::string utf8(const std::wstring& w)
{
    return Utf16ToUtf8Lenient(w.c_str(), w.size());
}

std::string show(const std::optional<std::string>& v)
{
    if (!v)
        return "null";
    // Long texts by their length and ends only.
    if (v->size() > 80)
        return "\"" + v->substr(0, 30) + "...\" (" + std::to_string(v->size()) + " bytes) ...\"" + v->substr(v->size() - 10)
            + "\"";
    return "\"" + *v + "\"";
}

const ProcessInfo* findPid(const std::vector<ProcessInfo>& ps, std::int64_t pid)
{
    for (const auto& p : ps)
        if (p.pid == pid)
            return &p;
    return nullptr;
}

ULONG ownSession()
{
    DWORD session = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) ? session : 0;
}

// The kernel's name of drive C:, as the drive paths are made from it.
std::wstring driveC()
{
    wchar_t device[1024] = {};
    return QueryDosDeviceW(L"C:", device, 1024) > 0 ? device : L"\\Device\\HarddiskVolume3";
}

// What the source must make of one process.
struct Expect {
    std::optional<std::string> caption{};
    std::optional<std::string> path{};
    std::optional<std::string> commandLine{};
    bool suspect = false;
};

struct Row {
    const char* name;
    FakeProcess process;
    Expect expect;
};

const std::string kReplacement = "\xEF\xBF\xBD";   // U+FFFD

std::vector<Row> rows(ULONG own, ULONG other)
{
    const std::wstring c = driveC();
    std::wstring deep = L"\\Program Files";
    while (deep.size() < 700)
        deep += L"\\Some Folder";
    const std::wstring longLine(32767, L'a');
    const std::wstring longTurkish(32767, L'\u011f');
    std::string cutTurkish;
    for (int i = 0; i < 32766 / 2; ++i)
        cutTurkish += "\xC4\x9F";
    cutTurkish += "...";

    return {
        {"idle process: empty name, pid 0",
         {.pid = 0, .session = 0, .image = L""},
         {.caption = "System Idle Process"}},
        {"System, pid 4",
         {.pid = 4, .session = 0, .image = L"System", .ntPath = L"\\Device\\NoSuchFile.exe"},
         {.caption = "System"}},
        {"pseudo-process without a leading backslash",
         {.pid = 100, .session = other, .image = L"Registry", .ntPath = L"Registry"},
         {.caption = "Registry"}},
        {"service with a drive letter",
         {.pid = 204, .session = other, .image = L"svchost.exe", .ntPath = c + L"\\Windows\\System32\\svchost.exe",
          .commandLine = L"C:\\Windows\\system32\\svchost.exe -k netsvcs -p"},
         {.caption = "svchost.exe", .path = "C:\\Windows\\System32\\svchost.exe",
          .commandLine = "C:\\Windows\\system32\\svchost.exe -k netsvcs -p"}},
        {"long path",
         {.pid = 1208, .session = own, .image = L"deep.exe", .ntPath = c + deep + L"\\deep.exe",
          .commandLine = L"deep.exe"},
         {.caption = "deep.exe", .path = "C:" + utf8(deep) + "\\deep.exe", .commandLine = "deep.exe"}},
        {"device without a drive letter",
         {.pid = 1312, .session = own, .image = L"tool.exe", .ntPath = L"\\Device\\HarddiskVolume42\\Tools\\tool.exe"},
         {.caption = "tool.exe", .path = "\\Device\\HarddiskVolume42\\Tools\\tool.exe"}},
        {"device that begins like drive C:'s",
         {.pid = 1314, .session = own, .image = L"tool.exe", .ntPath = c + L"7\\tool.exe"},
         {.caption = "tool.exe", .path = utf8(c) + "7\\tool.exe"}},
        {"network share",
         {.pid = 1316, .session = own, .image = L"tool.exe", .ntPath = L"\\Device\\Mup\\server\\share\\tool.exe"},
         {.caption = "tool.exe", .path = "\\\\server\\share\\tool.exe"}},
        {"drive form",
         {.pid = 1318, .session = own, .image = L"x.exe", .ntPath = L"\\??\\D:\\Tools\\x.exe"},
         {.caption = "x.exe", .path = "D:\\Tools\\x.exe"}},
        {"surrogate pair in name, path and command line",
         {.pid = 1320, .session = own, .image = L"\U0001F600.exe", .ntPath = c + L"\\\U0001F600\\\U0001F600.exe",
          .commandLine = L"\U0001F600.exe \U0001F600"},
         {.caption = "\xF0\x9F\x98\x80.exe", .path = "C:\\\xF0\x9F\x98\x80\\\xF0\x9F\x98\x80.exe",
          .commandLine = "\xF0\x9F\x98\x80.exe \xF0\x9F\x98\x80"}},
        {"unpaired high surrogate in name and path",
         {.pid = 1324, .session = own, .image = L"a\xD800.exe", .ntPath = c + L"\\x\\a\xD800.exe"},
         {.caption = "a" + kReplacement + ".exe", .suspect = true}},
        {"unpaired low surrogate in path, other session",
         {.pid = 1328, .session = other, .image = L"b.exe", .ntPath = c + L"\\x\\\xDC00" L"b.exe"},
         {.caption = "b.exe", .suspect = true}},
        {"surrogates swapped in path",
         {.pid = 1330, .session = own, .image = L"c.exe", .ntPath = c + L"\\x\\\xDE00\xD83D.exe"},
         {.caption = "c.exe", .suspect = true}},
        {"command line of 32 767 characters",
         {.pid = 1332, .session = own, .image = L"long.exe", .ntPath = c + L"\\long.exe", .commandLine = longLine},
         {.caption = "long.exe", .path = "C:\\long.exe", .commandLine = std::string(32767, 'a')}},
        {"command line of 32 767 two-byte letters: cut",
         {.pid = 1336, .session = own, .image = L"long.exe", .ntPath = c + L"\\long.exe", .commandLine = longTurkish},
         {.caption = "long.exe", .path = "C:\\long.exe", .commandLine = cutTurkish}},
        {"unpaired surrogate in command line",
         {.pid = 1340, .session = own, .image = L"d.exe", .ntPath = c + L"\\d.exe", .commandLine = L"d.exe \xD800!"},
         {.caption = "d.exe", .path = "C:\\d.exe", .commandLine = "d.exe " + kReplacement + "!"}},
        {"protected process: not opened, path by id",
         {.pid = 1344, .session = own, .image = L"MsMpEng.exe", .ntPath = c + L"\\Defender\\MsMpEng.exe",
          .opens = false, .commandLine = L"MsMpEng.exe"},
         {.caption = "MsMpEng.exe", .path = "C:\\Defender\\MsMpEng.exe"}},
        {"path refused, own session",
         {.pid = 1348, .session = own, .image = L"hidden.exe", .pathStatus = kStatusAccessDenied, .opens = false},
         {.caption = "hidden.exe", .suspect = true}},
        {"path refused, other session",
         {.pid = 1352, .session = other, .image = L"csrss.exe", .pathStatus = kStatusAccessDenied, .opens = false},
         {.caption = "csrss.exe"}},
        {"command line refused",
         {.pid = 1356, .session = own, .image = L"e.exe", .ntPath = c + L"\\e.exe",
          .commandLine = L"e.exe", .commandLineStatus = kStatusAccessDenied},
         {.caption = "e.exe", .path = "C:\\e.exe"}},
        {"empty command line",
         {.pid = 1358, .session = own, .image = L"f.exe", .ntPath = c + L"\\f.exe"},
         {.caption = "f.exe", .path = "C:\\f.exe"}},
        {"path by id asks for less room than it had",
         {.pid = 1364, .session = own, .image = L"h.exe", .ntPath = c + deep + L"\\h.exe", .pathRoomLie = 16},
         {.caption = "h.exe", .suspect = true}},
        {"path by id of odd length",
         {.pid = 1366, .session = own, .image = L"i.exe", .ntPath = c + L"\\i.exe",
          .pathLengthLie = static_cast<USHORT>((c.size() + 6) * 2 + 1)},
         {.caption = "i.exe", .path = "C:\\i.exe"}},
        {"command line outside its buffer",
         {.pid = 1372, .session = own, .image = L"k.exe", .ntPath = c + L"\\k.exe", .commandLine = L"k.exe",
          .commandLineElsewhere = true},
         {.caption = "k.exe", .path = "C:\\k.exe"}},
        {"command line asks for more room than any can need",
         {.pid = 1376, .session = own, .image = L"l.exe", .ntPath = c + L"\\l.exe", .commandLine = longLine,
          .commandLineRoomLie = 0x7FFFFFFF},
         {.caption = "l.exe", .path = "C:\\l.exe"}},
        {"command line asks for less room than it had",
         {.pid = 1378, .session = own, .image = L"m.exe", .ntPath = c + L"\\m.exe", .commandLine = longLine,
          .commandLineRoomLie = 100},
         {.caption = "m.exe", .path = "C:\\m.exe"}},
        {"name of odd length",
         {.pid = 1386, .session = own, .image = L"p.exe", .ntPath = c + L"\\p.exe", .imageLengthLie = -1},
         {.caption = "p.ex", .path = "C:\\p.exe"}},
        {"empty name, not the idle process",
         {.pid = 1392, .session = own, .image = L"", .ntPath = c + L"\\q.exe"},
         {.path = "C:\\q.exe"}},
        {"thousands of threads: the list outgrows the first buffer",
         {.pid = 1396, .session = own, .threads = 4000, .image = L"r.exe", .ntPath = c + L"\\r.exe"},
         {.caption = "r.exe", .path = "C:\\r.exe"}},
    };
}

// Every row through one list, as Windows 10 and 11 answer; twice, as the
// second refresh keeps what the first learned of the same processes.
void testRows()
{
    const ULONG own = ownSession();
    const ULONG other = own == 0 ? 1 : 0;
    const std::vector<Row> table = rows(own, other);
    std::vector<FakeProcess> processes;
    for (const Row& row : table)
        processes.push_back(row.process);
    FakeNt fake(processes);
    NtProcessSource source(fake.calls());
    std::map<std::int64_t, int> firstPathCalls;
    for (int round = 1; round <= 2; ++round) {
        std::vector<ProcessInfo> ps;
        CHECK(source.snapshot(ps));
        CHECK(ps.size() == table.size());
        // The 4000 threads make the list larger than the first buffer.
        CHECK(fake.listCalls() == (round == 1 ? 2 : 3));
        for (const Row& row : table) {
            const std::string name = std::string(row.name) + ", refresh " + std::to_string(round);
            const ProcessInfo* p = findPid(ps, row.process.pid);
            CHECK_ROW(p != nullptr, name);
            if (!p)
                continue;
            const Expect& e = row.expect;
            CHECK_ROW(p->caption == e.caption, name + ": caption " + show(p->caption));
            CHECK_ROW(p->name == e.caption && p->description == e.caption, name);
            CHECK_ROW(p->executablePath == e.path, name + ": path " + show(p->executablePath));
            CHECK_ROW(p->commandLine == e.commandLine, name + ": command line " + show(p->commandLine));
            CHECK_ROW(p->pathSuspect == e.suspect, name);
            CHECK_ROW(p->priority == 8 && p->threadCount == row.process.threads, name);
            CHECK_ROW(p->pageFileUsage == 0x12000, name);
            // A path once learned is not asked for again (the pseudo-
            // processes' never); a command line is, at each refresh, as a
            // process may change its own, of each process that may be
            // opened.
            const bool pseudo = row.process.pid == 0 || row.process.pid == 4;
            const int pathCalls = fake.asked(kPathById, row.process.pid);
            CHECK_ROW(pseudo ? pathCalls == 0 : pathCalls >= 1, name);
            if (round == 1)
                firstPathCalls[row.process.pid] = pathCalls;
            if (e.path)
                CHECK_ROW(pathCalls == firstPathCalls[row.process.pid], name);
            const bool asksCommandLine = !pseudo && row.process.opens;
            CHECK_ROW((fake.asked(kCommandLine, row.process.pid) >= round) == asksCommandLine, name);
        }
        CHECK(fake.openHandles() == 0);
        CHECK(fake.badCloses() == 0);
    }
    CHECK(source.pathsById() && source.commandLinesByQuery());
}

// The length protocols, each on a source of its own (the source keeps its
// buffers from one call to the next): the calls made and what came of them.
void testLengthProtocols()
{
    const ULONG own = ownSession();
    const std::wstring c = driveC();
    const std::wstring longPath = c + L"\\" + std::wstring(20000, L'p') + L".exe";
    struct ProtocolRow {
        const char* name;
        FakeProcess process;
        std::optional<std::string> path;
        std::optional<std::string> commandLine;
        int pathCalls;
        int commandLineCalls;
    };
    const ProtocolRow protocolRows[] = {
        {"path that fits the first buffer",
         {.pid = 700, .session = own, .image = L"a.exe", .ntPath = c + L"\\a.exe"}, "C:\\a.exe", std::nullopt, 1, 1},
        {"path of 20 000 characters: too little room, then the path",
         {.pid = 700, .session = own, .image = L"a.exe", .ntPath = longPath},
         "C:\\" + std::string(20000, 'p') + ".exe", std::nullopt, 2, 1},
        {"path that asks for no more room than it had",
         {.pid = 700, .session = own, .image = L"a.exe", .ntPath = longPath, .pathRoomLie = 1024},
         std::nullopt, std::nullopt, 1, 1},
        {"path that asks for more room again: asked twice only",
         {.pid = 700, .session = own, .image = L"a.exe", .ntPath = longPath, .pathRoomLie = 0xFFFF},
         std::nullopt, std::nullopt, 2, 1},
        {"path by id longer than the room given: from the handle",
         {.pid = 700, .session = own, .image = L"a.exe", .ntPath = c + L"\\a.exe", .dosPath = L"C:\\handle\\a.exe",
          .pathLengthLie = 0xFFF0},
         "C:\\handle\\a.exe", std::nullopt, 1, 1},
        {"command line that fits the first buffer",
         {.pid = 700, .session = own, .image = L"a.exe", .ntPath = c + L"\\a.exe", .commandLine = L"a.exe /x"},
         "C:\\a.exe", "a.exe /x", 1, 1},
        {"command line of 32 767 characters: too little room, then the line",
         {.pid = 700, .session = own, .image = L"a.exe", .ntPath = c + L"\\a.exe",
          .commandLine = std::wstring(32767, L'x')},
         "C:\\a.exe", std::string(32767, 'x'), 1, 2},
        {"command line that asks for more room than any needs",
         {.pid = 700, .session = own, .image = L"a.exe", .ntPath = c + L"\\a.exe",
          .commandLine = std::wstring(32767, L'x'), .commandLineRoomLie = 16 + 65536 + 2},
         "C:\\a.exe", std::nullopt, 1, 1},
        {"command line longer than its buffer",
         {.pid = 700, .session = own, .image = L"a.exe", .ntPath = c + L"\\a.exe", .commandLine = L"a.exe /x",
          .commandLineLengthLie = 0xFFFE},
         "C:\\a.exe", std::nullopt, 1, 1},
        {"command line outside its buffer",
         {.pid = 700, .session = own, .image = L"a.exe", .ntPath = c + L"\\a.exe", .commandLine = L"a.exe /x",
          .commandLineElsewhere = true},
         "C:\\a.exe", std::nullopt, 1, 1},
        {"command line that asks for less room than it had",
         {.pid = 700, .session = own, .image = L"a.exe", .ntPath = c + L"\\a.exe",
          .commandLine = std::wstring(32767, L'x'), .commandLineRoomLie = 64},
         "C:\\a.exe", std::nullopt, 1, 1},
    };
    for (const ProtocolRow& row : protocolRows) {
        FakeNt fake({{.pid = 0, .session = 0, .image = L""}, row.process});
        NtProcessSource source(fake.calls());
        std::vector<ProcessInfo> ps;
        CHECK_ROW(source.snapshot(ps), row.name);
        const ProcessInfo* p = findPid(ps, row.process.pid);
        CHECK_ROW(p && p->executablePath == row.path, row.name + std::string(": path ")
                  + (p ? show(p->executablePath) : "no row"));
        CHECK_ROW(p && p->commandLine == row.commandLine, row.name + std::string(": command line ")
                  + (p ? show(p->commandLine) : "no row"));
        CHECK_ROW(fake.asked(kPathById, row.process.pid) == row.pathCalls,
                  row.name + std::string(": path calls ") + std::to_string(fake.asked(kPathById, row.process.pid)));
        CHECK_ROW(fake.asked(kCommandLine, row.process.pid) == row.commandLineCalls,
                  row.name + std::string(": command line calls ")
                      + std::to_string(fake.asked(kCommandLine, row.process.pid)));
        CHECK_ROW(source.pathsById() && source.commandLinesByQuery(), row.name);
    }
}

// Answers about the list itself that lie: each record is read only where
// all of it lies within what the call wrote.
void testListAnswers()
{
    const ULONG own = ownSession();
    const std::vector<FakeProcess> three = {
        {.pid = 0, .session = 0, .image = L""},
        {.pid = 4, .session = 0, .image = L"System"},
        {.pid = 500, .session = own, .image = L"last.exe", .ntPath = driveC() + L"\\last.exe"},
    };
    struct ListRow {
        const char* name;
        long returnedLie;
        long lastOffsetLie;
        std::size_t padding;
        long imageLengthLie;    // of the last record
        bool imageElsewhere;    // of the last record
        std::vector<std::int64_t> pids;   // the rows made, in order
        std::optional<std::string> lastCaption;
    };
    const std::optional<std::string> last = "last.exe";
    const ListRow listRows[] = {
        {"as written", 0, 0, 3, 0, false, {0, 4, 500}, last},
        {"records at aligned offsets", 0, 0, 0, 0, false, {0, 4, 500}, last},
        {"written length cuts the last record", -0x100, 0, 3, 0, false, {0, 4}, std::nullopt},
        {"written length cuts into the last name", -6, 0, 3, 0, false, {0, 4, 500}, std::nullopt},
        {"written length beyond the buffer", 0x7FFFFFF, 0, 3, 0, false, {0, 4, 500}, last},
        {"last record points past the list", 0, 0x7FFFFFF0, 3, 0, false, {0, 4, 500}, last},
        {"last record points past the written end", 0, 0x180, 3, 0, false, {0, 4, 500}, last},
        {"name longer than the list", 0, 0, 3, 60000, false, {0, 4, 500}, std::nullopt},
        {"name one byte longer than the list", 0, 0, 0, 3, false, {0, 4, 500}, std::nullopt},
        {"name outside the list", 0, 0, 3, 0, true, {0, 4, 500}, std::nullopt},
        {"name of odd length", 0, 0, 3, -1, false, {0, 4, 500}, "last.ex"},
    };
    for (const ListRow& row : listRows) {
        std::vector<FakeProcess> processes = three;
        processes.back().imageLengthLie = row.imageLengthLie;
        processes.back().imageElsewhere = row.imageElsewhere;
        FakeNt fake(processes);
        fake.returnedLie = row.returnedLie;
        fake.lastOffsetLie = row.lastOffsetLie;
        fake.padding = row.padding;
        std::vector<ProcessInfo> ps;
        CHECK_ROW(NtProcessSource(fake.calls()).snapshot(ps), row.name);
        std::vector<std::int64_t> pids;
        for (const ProcessInfo& p : ps)
            pids.push_back(p.pid);
        CHECK_ROW(pids == row.pids, row.name + std::string(": ") + std::to_string(pids.size()) + " rows");
        if (const ProcessInfo* p = findPid(ps, 500)) {
            CHECK_ROW(p->caption == row.lastCaption, row.name + std::string(": caption ") + show(p->caption));
            // The path does not depend on the name.
            CHECK_ROW(p->executablePath == "C:\\last.exe", row.name);
        }
    }
}

// As Windows before 8.1 and Wine answer: neither call is known. The source
// stops asking after the first answer and takes the path through a handle.
void testOlderSystems()
{
    const ULONG own = ownSession();
    FakeNt fake({
        {.pid = 0, .session = 0, .image = L""},
        {.pid = 4, .session = 0, .image = L"System"},
        {.pid = 600, .session = own, .image = L"a.exe", .ntPath = driveC() + L"\\a.exe", .dosPath = L"C:\\a.exe",
         .commandLine = L"a.exe"},
        {.pid = 604, .session = own, .image = L"b.exe", .ntPath = driveC() + L"\\b.exe", .dosPath = L"C:\\b\xD800.exe",
         .commandLine = L"b.exe"},
        {.pid = 608, .session = own, .image = L"c.exe", .ntPath = driveC() + L"\\c.exe", .commandLine = L"c.exe"},
    });
    fake.pathsById = false;
    fake.commandLineQuery = false;
    NtProcessSource source(fake.calls());
    std::vector<ProcessInfo> ps;
    CHECK(source.snapshot(ps));
    CHECK(!source.pathsById());
    CHECK(!source.commandLinesByQuery());
    CHECK(fake.asked(kPathById, 600) == 1 && fake.asked(kPathById, 604) == 0);
    CHECK(fake.asked(kCommandLine, 600) == 1 && fake.asked(kCommandLine, 604) == 0);
    const ProcessInfo* a = findPid(ps, 600);
    const ProcessInfo* b = findPid(ps, 604);
    const ProcessInfo* c = findPid(ps, 608);
    CHECK(a && a->executablePath == "C:\\a.exe" && !a->commandLine && !a->pathSuspect);
    // Through a handle too, a path with an unpaired surrogate is no path.
    CHECK(b && !b->executablePath && b->pathSuspect);
    CHECK(c && !c->executablePath && c->pathSuspect);
    CHECK(fake.openHandles() == 0 && fake.badCloses() == 0);
}

} // namespace

void RunNativeAnswerTests()
{
    run("native source over Windows 10/11 answers", testRows);
    run("native source: length protocols", testLengthProtocols);
    run("native source over lying list answers", testListAnswers);
    run("native source over answers of older systems", testOlderSystems);
}

} // namespace zerva::test
