// Console test of Zerva's Windows platform pieces (process source, shell,
// code page conversion, kvr.conf on disk). Plain C++ without Qt: cross-compiled with
// MinGW-w64 and run under Wine by scripts/wine-test, or on Windows as is.
//
// Exit code 0 when every check passed. It also prints which Win32_Process
// properties the service returned, since Wine's service lacks some.

#include "platform/os/conf_file.h"
#include "platform/os/system_process_source.h"
#include "platform/os/windows/win_code_page.h"
#include "platform/os/windows/win_shell.h"
#include "platform/os/windows/wmi_process_source.h"
#include "platform/os/windows/wmi_variant.h"

#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cwctype>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace zerva;

namespace {

int g_checks = 0;
int g_failures = 0;

void check(bool ok, const std::string& what, int line)
{
    ++g_checks;
    if (!ok) {
        ++g_failures;
        std::printf("FAIL line %d: %s\n", line, what.c_str());
    }
}
#define CHECK(cond) check((cond), #cond, __LINE__)
#define CHECK_ROW(cond, row) check((cond), std::string(row) + ": " #cond, __LINE__)

std::string utf8(const std::wstring& w)
{
    return Utf16ToUtf8Lenient(w.c_str(), w.size());
}

std::string show(const std::optional<std::string>& v) { return v ? "\"" + *v + "\"" : "null"; }
std::string show(const std::optional<std::int64_t>& v) { return v ? std::to_string(*v) : "null"; }

std::wstring ownExePath()
{
    wchar_t path[32768];
    return std::wstring(path, GetModuleFileNameW(nullptr, path, 32768));
}

std::wstring baseName(const std::wstring& path)
{
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

const ProcessInfo* findPid(const std::vector<ProcessInfo>& ps, std::int64_t pid)
{
    for (const auto& p : ps)
        if (p.pid == pid)
            return &p;
    return nullptr;
}

std::optional<std::int64_t> ownThreadCount(ProcessSource& source)
{
    std::vector<ProcessInfo> ps;
    if (!source.snapshot(ps))
        return std::nullopt;
    const ProcessInfo* self = findPid(ps, GetCurrentProcessId());
    return self ? self->threadCount : std::nullopt;
}

// --- The process source -------------------------------------------------

void testOwnProcess()
{
    const auto source = MakeSystemProcessSource();
    std::vector<ProcessInfo> ps;
    CHECK(source->snapshot(ps));
    CHECK(ps.size() > 1);   // at least Wine's own services besides us

    const ProcessInfo* self = findPid(ps, GetCurrentProcessId());
    CHECK(self != nullptr);
    if (!self)
        return;
    const std::string exe = utf8(baseName(ownExePath()));
    CHECK(self->caption == exe);
    CHECK(self->name == exe);
    CHECK(self->commandLine == utf8(GetCommandLineW()));
    CHECK(self->threadCount.has_value() && *self->threadCount >= 1);

    // Where the service reports memory, it is in bytes now (a whole number
    // of kilobytes) and of the order of what the process itself sees.
    if (self->pageFileUsage) {
        PROCESS_MEMORY_COUNTERS mem{};
        mem.cb = sizeof mem;
        CHECK(*self->pageFileUsage % 1024 == 0);
        if (GetProcessMemoryInfo(GetCurrentProcess(), &mem, sizeof mem))
            CHECK(*self->pageFileUsage > static_cast<std::int64_t>(mem.PagefileUsage) / 4
                  && *self->pageFileUsage < static_cast<std::int64_t>(mem.PagefileUsage) * 4);
    }
}

void testThreadCountFollowsThreads()
{
    WmiProcessSource source;
    ownThreadCount(source);   // loads the service's libraries first
    // Wine may start or end a helper thread of its own meanwhile: a few
    // tries before calling it wrong.
    bool matched = false;
    for (int attempt = 0; attempt < 3 && !matched; ++attempt) {
        const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE threads[3];
        for (HANDLE& t : threads)
            t = CreateThread(nullptr, 0, [](void* e) -> DWORD { return WaitForSingleObject(e, INFINITE); },
                             release, 0, nullptr);
        const std::optional<std::int64_t> with = ownThreadCount(source);
        SetEvent(release);
        WaitForMultipleObjects(3, threads, TRUE, INFINITE);
        for (HANDLE t : threads)
            CloseHandle(t);
        CloseHandle(release);
        const std::optional<std::int64_t> without = ownThreadCount(source);
        matched = with && without && *with - *without == 3;
        if (!matched)
            std::printf("thread count with 3 more threads: %s, without: %s\n", show(with).c_str(),
                        show(without).c_str());
    }
    CHECK(matched);
}

void reportProperties()
{
    std::vector<ProcessInfo> ps;
    CHECK(WmiProcessSource().snapshot(ps));
    using Field = std::function<std::string(const ProcessInfo&)>;
    const std::pair<const char*, Field> fields[] = {
        {"Caption", [](const ProcessInfo& p) { return show(p.caption); }},
        {"ExecutablePath", [](const ProcessInfo& p) { return show(p.executablePath); }},
        {"Priority", [](const ProcessInfo& p) { return show(p.priority); }},
        {"CommandLine", [](const ProcessInfo& p) { return show(p.commandLine); }},
        {"PageFileUsage", [](const ProcessInfo& p) { return show(p.pageFileUsage); }},
        {"ThreadCount", [](const ProcessInfo& p) { return show(p.threadCount); }},
        {"Name", [](const ProcessInfo& p) { return show(p.name); }},
        {"Description", [](const ProcessInfo& p) { return show(p.description); }},
    };
    std::printf("properties returned (processes with a value, of %zu; ours):\n", ps.size());
    const ProcessInfo* self = findPid(ps, GetCurrentProcessId());
    for (const auto& [name, field] : fields) {
        int present = 0;
        for (const auto& p : ps)
            present += field(p) != "null" ? 1 : 0;
        std::printf("  %-15s %3d  %s\n", name, present, self ? field(*self).c_str() : "-");
    }
}

void testFailedConnection()
{
    struct Row { const char* name; const wchar_t* nameSpace; };
    const Row rows[] = {
        {"unknown namespace", L"root\\zerva-no-such-namespace"},
        {"unknown server", L"\\\\zerva-no-such-host.invalid\\root\\cimv2"},
        {"empty namespace", L""},
    };
    for (const Row& row : rows) {
        WmiProcessSource source(row.nameSpace);
        std::vector<ProcessInfo> ps(3);   // stale content must go
        CHECK_ROW(!source.snapshot(ps), row.name);
        CHECK_ROW(ps.empty(), row.name);
    }
    // A failed connection leaves nothing behind that spoils the next one.
    std::vector<ProcessInfo> ps;
    CHECK(WmiProcessSource().snapshot(ps) && findPid(ps, GetCurrentProcessId()));
}

// The source on threads whose COM state it does not own.
void testComApartments()
{
    struct Row { const char* name; bool initialise; DWORD model; };
    const Row rows[] = {
        {"thread without COM", false, 0},
        {"thread in the multithreaded apartment", true, COINIT_MULTITHREADED},
        {"thread in a single-threaded apartment", true, COINIT_APARTMENTTHREADED},
    };
    for (const Row& row : rows) {
        bool found = false;
        HRESULT afterwards = E_FAIL;
        std::thread worker([&] {
            const HRESULT before = row.initialise ? CoInitializeEx(nullptr, row.model) : E_FAIL;
            std::vector<ProcessInfo> ps;
            found = WmiProcessSource().snapshot(ps) && findPid(ps, GetCurrentProcessId());
            // The thread's COM state is as the caller left it: S_OK means
            // COM was not (or no longer) initialised, S_FALSE that it still
            // is in the same model, RPC_E_CHANGED_MODE in the other one.
            afterwards = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            if (SUCCEEDED(afterwards))
                CoUninitialize();
            if (SUCCEEDED(before))
                CoUninitialize();
        });
        worker.join();
        CHECK_ROW(found, row.name);
        const HRESULT expected = !row.initialise ? S_OK
            : row.model == COINIT_MULTITHREADED ? RPC_E_CHANGED_MODE : S_FALSE;
        CHECK_ROW(afterwards == expected, row.name);
    }
}

void testVariants()
{
    struct NumberRow { const char* name; VARTYPE vt; long long raw; const wchar_t* text; CIMTYPE cim;
                       std::optional<std::int64_t> expected; };
    const NumberRow rows[] = {
        {"sint32", VT_I4, -5, nullptr, CIM_SINT32, -5},
        {"uint32 above 2^31 as VT_I4", VT_I4, -1, nullptr, CIM_UINT32, 4294967295LL},
        {"uint16 as VT_I2", VT_I2, -1, nullptr, CIM_UINT16, 65535},
        {"uint64 as text", VT_BSTR, 0, L"123456789012", CIM_UINT64, 123456789012LL},
        {"int64 maximum", VT_BSTR, 0, L"9223372036854775807", CIM_UINT64, 9223372036854775807LL},
        {"uint64 beyond int64", VT_BSTR, 0, L"9223372036854775808", CIM_UINT64, std::nullopt},
        {"negative uint64 text", VT_BSTR, 0, L"-1", CIM_UINT64, std::nullopt},
        {"not a number", VT_BSTR, 0, L"12a", CIM_UINT64, std::nullopt},
        {"null", VT_NULL, 0, nullptr, CIM_UINT32, std::nullopt},
        {"boolean", VT_BOOL, -1, nullptr, CIM_BOOLEAN, std::nullopt},
    };
    for (const NumberRow& row : rows) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = row.vt;
        switch (row.vt) {
        case VT_I4: V_I4(&v) = static_cast<LONG>(row.raw); break;
        case VT_I2: V_I2(&v) = static_cast<SHORT>(row.raw); break;
        case VT_BOOL: V_BOOL(&v) = static_cast<VARIANT_BOOL>(row.raw); break;
        case VT_BSTR: V_BSTR(&v) = SysAllocString(row.text); break;
        default: break;
        }
        CHECK_ROW(VariantNumber(v, row.cim) == row.expected, row.name);
        VariantClear(&v);
    }

    struct TextRow { const char* name; VARTYPE vt; const wchar_t* text; std::optional<std::string> expected; };
    const TextRow texts[] = {
        {"turkish letters", VT_BSTR, L"\u00e7\u011f\u0131\u015f\u0130.exe", std::string("\xc3\xa7\xc4\x9f\xc4\xb1\xc5\x9f\xc4\xb0.exe")},
        {"beyond the BMP", VT_BSTR, L"\U0001F600", std::string("\xf0\x9f\x98\x80")},
        {"null", VT_NULL, nullptr, std::nullopt},
        {"number", VT_I4, nullptr, std::nullopt},
    };
    for (const TextRow& row : texts) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = row.vt;
        if (row.vt == VT_BSTR)
            V_BSTR(&v) = SysAllocString(row.text);
        if (row.vt == VT_I4)
            V_I4(&v) = 7;
        CHECK_ROW(VariantText(v) == row.expected, row.name);
        VariantClear(&v);
    }
    // A BSTR may be null: the empty text.
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = nullptr;
    CHECK(VariantText(v) == std::string());
}

// --- Code pages ------------------------------------------------------------

void testEncoding()
{
    struct Row { const char* name; unsigned codePage; std::u16string text; bool ok; std::string bytes; };
    const Row rows[] = {
        {"turkish path in 1254", 1254, u"c:\\\u00e7\u011f\u0131\u015f\u0130\\a.exe", true, "c:\\\xe7\xf0\xfd\xfe\xdd\\a.exe"},
        {"dotless i in 1252 is not best-fitted to i", 1252, u"\u0131", false, ""},
        {"s cedilla in 1252 is not best-fitted to s", 1252, u"a\u015f", false, ""},
        {"euro sign in 1252", 1252, u"\u20ac", true, "\x80"},
        {"a question mark of its own", 1252, u"a?b", true, "a?b"},
        {"chinese in 1252", 1252, u"\u4e2d", false, ""},
        {"lone surrogate in 1252", 1252, std::u16string(1, char16_t(0xd800)), false, ""},
        {"embedded NUL kept", 1252, std::u16string(u"a\0b", 3), true, std::string("a\0b", 3)},
        {"empty", 1252, u"", true, ""},
        {"UTF-8 system code page", kUtf8CodePage, u"\u00e7\u4e2d", true, "\xc3\xa7\xe4\xb8\xad"},
        {"lone surrogate in UTF-8", kUtf8CodePage, std::u16string(1, char16_t(0xdc00)), false, ""},
        {"japanese in 932", 932, u"\u65e5\u672c", true, "\x93\xfa\x96\x7b"},
        {"c cedilla in 932", 932, u"\u00e7", false, ""},
        {"system code page, plain text", kSystemAnsiCodePage, u"c:\\windows\\explorer.exe", true,
         "c:\\windows\\explorer.exe"},
    };
    for (const Row& row : rows) {
        std::string bytes = "stale";
        CHECK_ROW(Utf16ToCodePage(row.text, bytes, row.codePage) == row.ok, row.name);
        CHECK_ROW(bytes == row.bytes, row.name);
        if (row.ok) {
            std::u16string back;
            CHECK_ROW(CodePageToUtf16(row.bytes, back, row.codePage) && back == row.text, row.name);
        }
    }
}

void testDecoding()
{
    struct Row { const char* name; unsigned codePage; std::string bytes; std::u16string text; };
    const Row rows[] = {
        {"turkish letters in 1254", 1254, "\xe7\xf0\xfd\xfe\xdd", u"\u00e7\u011f\u0131\u015f\u0130"},
        {"same bytes in 1252", 1252, "\xe7\xf0\xfd\xfe\xdd", u"\u00e7\u00f0\u00fd\u00fe\u00dd"},
        {"ill-formed UTF-8 is replaced, not refused", kUtf8CodePage, "a\xff", u"a\ufffd"},
    };
    for (const Row& row : rows) {
        std::u16string text = u"stale";
        CHECK_ROW(CodePageToUtf16(row.bytes, text, row.codePage), row.name);
        CHECK_ROW(text == row.text, row.name);
    }
}

// A file written by hand may hold any byte: reading it and writing it back
// must give the same bytes, or an add would corrupt the other entries.
void testEveryByteRoundTrips()
{
    for (const unsigned codePage : {1252u, 1254u, kSystemAnsiCodePage}) {
        std::string all;
        for (int b = 1; b < 256; ++b)
            all += static_cast<char>(b);
        std::u16string text;
        std::string back;
        const std::string row = "code page " + std::to_string(codePage);
        CHECK_ROW(CodePageToUtf16(all, text, codePage), row);
        const bool ok = Utf16ToCodePage(text, back, codePage);
        if (GetACP() == kUtf8CodePage && codePage == kSystemAnsiCodePage)
            continue;   // no single-byte system code page to test
        CHECK_ROW(ok && back == all, row);
    }
}

// --- The shell ------------------------------------------------------------------

// What a started copy of this program reports about itself.
struct ChildReport {
    bool written = false;
    unsigned flags = 0;
    unsigned show = 0;
    bool sawGo = false;
    int commandLineMatches = -1;   // -1: not asked to look
};

std::wstring tempDir()
{
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, base);
    std::wstring dir = std::wstring(base) + L"zerva-wine-test-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void touch(const std::wstring& path)
{
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
}

bool waitFor(const std::wstring& path, int seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!exists(path)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Sleep(20);
    }
    return true;
}

ChildReport readReport(const std::wstring& path)
{
    ChildReport r;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f)
        return r;
    int go = 0;
    r.written = std::fscanf(f, "flags=%u show=%u go=%d cmd=%d", &r.flags, &r.show, &go,
                            &r.commandLineMatches) == 4;
    r.sawGo = go == 1;
    std::fclose(f);
    return r;
}

// The child: waits until the parent says its start() has returned, then
// reports how it was started.
int childMain(int argc, wchar_t** argv)
{
    if (argc < 4)
        return 2;
    const std::wstring report = argv[2];
    const std::wstring go = argv[3];
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const bool sawGo = waitFor(go, 30);
    int commandLineMatches = -1;
    if (argc > 4 && std::wstring(argv[4]) == L"--wmi") {
        std::vector<ProcessInfo> ps;
        WmiProcessSource source;
        const ProcessInfo* self = source.snapshot(ps) ? findPid(ps, GetCurrentProcessId()) : nullptr;
        commandLineMatches = self && self->commandLine == utf8(GetCommandLineW()) ? 1 : 0;
    }
    // Written under another name and renamed, so the parent never reads
    // half a report.
    const std::wstring partial = report + L".part";
    FILE* f = _wfopen(partial.c_str(), L"wb");
    if (!f)
        return 3;
    std::fprintf(f, "flags=%u show=%u go=%d cmd=%d\n",
                 static_cast<unsigned>(startup.dwFlags & STARTF_USESHOWWINDOW),
                 static_cast<unsigned>(startup.wShowWindow), sawGo ? 1 : 0, commandLineMatches);
    std::fclose(f);
    return MoveFileExW(partial.c_str(), report.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}

void testShellStarts()
{
    struct Row { const char* name; int style; unsigned show; bool wmi; };
    const Row rows[] = {
        {"hidden", Shell::Hide, SW_HIDE, false},
        {"normal", Shell::NormalFocus, SW_SHOWNORMAL, false},
        {"minimised, as the links start", Shell::MinimizedFocus, SW_SHOWMINIMIZED, true},
        {"maximised", Shell::MaximizedFocus, SW_SHOWMAXIMIZED, false},
    };
    const auto shell = MakeSystemShell();
    const std::wstring dir = tempDir();
    const std::wstring exe = ownExePath();
    int n = 0;
    for (const Row& row : rows) {
        const std::wstring report = dir + L"\\report" + std::to_wstring(++n);
        const std::wstring go = dir + L"\\go" + std::to_wstring(n);
        // Blanks and Turkish letters in the arguments must arrive intact.
        const std::wstring line = L"\"" + exe + L"\" --child \"" + report + L"\" \"" + go + L"\" "
            + (row.wmi ? L"--wmi " : L"") + L"\"\u00e7\u011f \u0131\u015f\u0130\"";
        const auto t0 = std::chrono::steady_clock::now();
        const bool started = shell->start(utf8(line), row.style);
        const auto took = std::chrono::steady_clock::now() - t0;
        touch(go);   // the child waits for this: start() must not wait for the child
        CHECK_ROW(started, row.name);
        CHECK_ROW(took < std::chrono::seconds(20), row.name);
        // Read until complete: Wine may show the renamed file a moment
        // before it can be opened.
        ChildReport r;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!(r = readReport(report)).written && std::chrono::steady_clock::now() < end)
            Sleep(20);
        CHECK_ROW(r.written, row.name);
        CHECK_ROW(r.sawGo, row.name);
        CHECK_ROW(r.flags == STARTF_USESHOWWINDOW, row.name);
        CHECK_ROW(r.show == row.show, row.name);
        if (row.wmi)
            CHECK_ROW(r.commandLineMatches == 1, row.name);
    }
}

void testShellRefuses()
{
    struct Row { const char* name; std::string commandLine; int style; };
    const Row rows[] = {
        {"program that does not exist", "C:\\zerva-no-such-dir\\no-such-program.exe", Shell::MinimizedFocus},
        {"program not on the path", "zerva-no-such-program http://example.invalid/", Shell::MinimizedFocus},
        {"empty command line", "", Shell::MinimizedFocus},
        {"ill-formed UTF-8", "cmd.exe /c rem \xff", Shell::MinimizedFocus},
        {"embedded NUL", std::string("cmd.exe\0 /c rem", 15), Shell::MinimizedFocus},
        {"unknown window style", "cmd.exe /c rem", 7},
    };
    const auto shell = MakeSystemShell();
    for (const Row& row : rows)
        CHECK_ROW(!shell->start(row.commandLine, row.style), row.name);
}

void run(const char* name, const std::function<void()>& test)
{
    const int before = g_failures;
    const auto t0 = std::chrono::steady_clock::now();
    test();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
    std::printf("%s %s (%lld ms)\n", g_failures == before ? "PASS" : "FAIL", name,
                static_cast<long long>(ms.count()));
    std::fflush(stdout);
}

// --- kvr.conf on disk ---------------------------------------------------------

std::string readBack(const std::wstring& path)
{
    std::string bytes;
    return ReadConfFile(path, 1 << 20, bytes) == ConfFileStatus::Ok ? bytes : "<unreadable>";
}

void testConfFile()
{
    const std::wstring path = tempDir() + L"\\kvr.conf";
    DeleteFileW(path.c_str());
    std::string bytes;
    CHECK(ReadConfFile(path, 1 << 20, bytes) == ConfFileStatus::Missing);
    CreateConfFile(path);
    CHECK(readBack(path).empty());
    const auto wait = std::chrono::milliseconds(100);
    CHECK(RewriteConfFile(path, 1 << 20, wait, [](const std::string& old) { return "a\r\n" + old; })
          == ConfFileStatus::Ok);
    CHECK(RewriteConfFile(path, 1 << 20, wait, [](const std::string& old) { return "b\r\n" + old; })
          == ConfFileStatus::Ok);
    CHECK(readBack(path) == "b\r\na\r\n");
    // While one add holds the lock, a second waits and gives up; a plain
    // read is not held up.
    ConfFileStatus inner = ConfFileStatus::Ok;
    std::string seen;
    CHECK(RewriteConfFile(path, 1 << 20, wait, [&](const std::string&) -> std::optional<std::string> {
              // From another thread, as another program would: the lock may
              // be re-entrant for its owner.
              std::thread([&] {
                  inner = RewriteConfFile(path, 1 << 20, wait, [](const std::string& old) { return old; });
                  seen = readBack(path);
              }).join();
              return std::nullopt;
          })
          == ConfFileStatus::Ok);
    CHECK(inner == ConfFileStatus::Busy);
    CHECK(seen == "b\r\na\r\n");
    CHECK(readBack(path) == "b\r\na\r\n");
    // The lock is the file's, however its path is spelt.
    std::wstring upper = path;
    for (wchar_t& c : upper)
        c = c == L'\\' ? L'/' : wchar_t(towupper(c));
    for (const std::wstring& other : {upper, L"\\\\?\\" + path}) {
        inner = ConfFileStatus::Ok;
        CHECK(RewriteConfFile(path, 1 << 20, wait, [&](const std::string&) -> std::optional<std::string> {
                  std::thread([&] { inner = RewriteConfFile(other, 1 << 20, wait, [](const std::string& old) { return old; }); })
                      .join();
                  return std::nullopt;
              })
              == ConfFileStatus::Ok);
        CHECK(inner == ConfFileStatus::Busy);
    }
    // Too large: neither read nor rewritten.
    CHECK(ReadConfFile(path, 3, bytes) == ConfFileStatus::TooLarge);
    CHECK(RewriteConfFile(path, 3, wait, [](const std::string&) { return std::string("x"); })
          == ConfFileStatus::TooLarge);
    CHECK(readBack(path) == "b\r\na\r\n");
    // Read-only is never written, not even by an administrator.
    CHECK(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    CHECK(RewriteConfFile(path, 1 << 20, wait, [](const std::string& old) { return "c\r\n" + old; })
          == ConfFileStatus::ReadOnly);
    CHECK(readBack(path) == "b\r\na\r\n");
    CHECK(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc > 1 && std::wstring(argv[1]) == L"--child")
        return childMain(argc, argv);

    std::printf("system ANSI code page: %u; debug privilege enabled: %s\n", GetACP(),
                WmiProcessSource::enableDebugPrivilege() ? "yes" : "no");
    run("own process", testOwnProcess);
    run("thread count follows our threads", testThreadCountFollowsThreads);
    run("properties", reportProperties);
    run("failed connection", testFailedConnection);
    run("COM apartments", testComApartments);
    run("variants", testVariants);
    run("encoding", testEncoding);
    run("decoding", testDecoding);
    run("every byte round-trips", testEveryByteRoundTrips);
    run("kvr.conf on disk", testConfFile);
    run("shell starts", testShellStarts);
    run("shell refuses", testShellRefuses);
    std::printf("%d checks, %d failed\n", g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}
