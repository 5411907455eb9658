// Console test of Zerva's Windows platform pieces (process source, shell,
// code page conversion, kvr.conf on disk). Plain C++ without Qt: cross-compiled with
// MinGW-w64 and run under Wine by scripts/wine-test, or on Windows as is.
//
// Exit code 0 when every check passed. It also prints which Win32_Process
// properties the service returned, since Wine's service lacks some.
// The native source is also run over stand-ins that answer as Windows 10
// and 11 do (native_answers_test.cpp), since Wine answers otherwise.
//
// Other uses: --selfcheck (self_check.h) on a Windows machine, for a bug
// report; --list, what the native source gives; --bench.

#include "platform/os/conf_file.h"
#include "platform/os/path_spelling.h"
#include "platform/os/system_process_source.h"
#include "platform/os/windows/dos_device_paths.h"
#include "platform/os/windows/nt_dll.h"
#include "platform/os/windows/nt_process_source.h"
#include "platform/os/windows/win_code_page.h"
#include "platform/os/windows/win_shell.h"
#include "platform/os/windows/wmi_process_source.h"
#include "platform/os/windows/wmi_variant.h"
#include "native_answers_test.h"
#include "self_check.h"
#include "wine_check.h"

#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwctype>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace zerva;
using namespace zerva::test;

namespace {

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

std::wstring tempDir();
bool exists(const std::wstring& path);
void touch(const std::wstring& path);

// Both sources, the native one (the default) and the management service
// (the fallback), as the same rows.
struct SourceRow {
    const char* name;
    std::function<std::unique_ptr<ProcessSource>()> make;
};
const SourceRow kSources[] = {
    {"native", [] { return std::unique_ptr<ProcessSource>(new NtProcessSource); }},
    {"management service", [] { return std::unique_ptr<ProcessSource>(new WmiProcessSource); }},
};

void testOwnProcess()
{
    CHECK(NtProcessSource::available());
    CHECK(dynamic_cast<NtProcessSource*>(MakeSystemProcessSource().get()) != nullptr);
    for (const SourceRow& row : kSources) {
        const auto source = row.make();
        std::vector<ProcessInfo> ps;
        CHECK_ROW(source->snapshot(ps), row.name);
        CHECK_ROW(ps.size() > 1, row.name);   // at least Wine's own services besides us

        const ProcessInfo* self = findPid(ps, GetCurrentProcessId());
        CHECK_ROW(self != nullptr, row.name);
        if (!self)
            continue;
        const std::string exe = utf8(baseName(ownExePath()));
        CHECK_ROW(self->caption == exe, row.name);
        CHECK_ROW(self->name == exe, row.name);
        CHECK_ROW(self->description == exe, row.name);
        CHECK_ROW(self->commandLine == utf8(GetCommandLineW()), row.name);
        CHECK_ROW(self->threadCount.has_value() && *self->threadCount >= 1, row.name);
        CHECK_ROW(!self->pathSuspect, row.name);

        // Where the source reports memory, it is in bytes (a whole number
        // of kilobytes) and of the order of what the process itself sees.
        if (self->pageFileUsage) {
            PROCESS_MEMORY_COUNTERS mem{};
            mem.cb = sizeof mem;
            CHECK_ROW(*self->pageFileUsage % 1024 == 0, row.name);
            if (GetProcessMemoryInfo(GetCurrentProcess(), &mem, sizeof mem))
                CHECK_ROW(*self->pageFileUsage > static_cast<std::int64_t>(mem.PagefileUsage) / 4
                              && *self->pageFileUsage < static_cast<std::int64_t>(mem.PagefileUsage) * 4,
                          row.name);
        }
    }
    // The native source also knows our program's path, exactly.
    std::vector<ProcessInfo> ps;
    NtProcessSource().snapshot(ps);
    const ProcessInfo* self = findPid(ps, GetCurrentProcessId());
    CHECK(self && self->executablePath == utf8(ownExePath()));
}

// Over the same processes, the native rows read as the service's: the same
// captions, names, descriptions and priorities, and the service's path
// wherever it gives one.
void testSourcesAgree()
{
    std::vector<ProcessInfo> native, service;
    CHECK(NtProcessSource().snapshot(native));
    CHECK(WmiProcessSource().snapshot(service));
    int compared = 0;
    for (const ProcessInfo& w : service) {
        const ProcessInfo* n = findPid(native, w.pid);
        if (!n)
            continue;   // ended or started between the two snapshots
        ++compared;
        const std::string row = "pid " + std::to_string(w.pid) + " " + show(w.caption);
        CHECK_ROW(n->caption == w.caption, row + " native " + show(n->caption));
        CHECK_ROW(n->name == w.name, row + " native " + show(n->name));
        CHECK_ROW(n->description == w.description || !w.description, row + " native " + show(n->description));
        CHECK_ROW(n->priority == w.priority || !w.priority, row + " native " + show(n->priority));
        if (w.executablePath)
            CHECK_ROW(n->executablePath == w.executablePath, row + " native " + show(n->executablePath));
    }
    CHECK(compared > 1);
}

// A copy of this program in a folder whose name holds letters outside
// ASCII: the native source gives its path exactly as spelled (from the
// kernel's name of the file, turned into a drive path) and its arguments.
void testChildPath()
{
    const std::wstring dir = tempDir() + L"\\k\u00e5\u03c9 Dir";
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring copy = dir + L"\\Child Copy.exe";
    CHECK(CopyFileW(ownExePath().c_str(), copy.c_str(), FALSE));
    const std::wstring report = dir + L"\\report", go = dir + L"\\go";
    std::wstring commandLine = L"\"" + copy + L"\" --child \"" + report + L"\" \"" + go + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    CHECK(CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &child));
    if (!child.hProcess)
        return;
    // Twice: the second refresh reuses what the first one learned.
    NtProcessSource source;
    for (const char* round : {"first refresh", "second refresh"}) {
        std::vector<ProcessInfo> ps;
        CHECK_ROW(source.snapshot(ps), round);
        const ProcessInfo* p = findPid(ps, child.dwProcessId);
        CHECK_ROW(p != nullptr, round);
        if (!p)
            continue;
        CHECK_ROW(p->executablePath == utf8(copy), round);
        CHECK_ROW(p->caption == utf8(L"Child Copy.exe"), round);
        CHECK_ROW(p->commandLine == utf8(commandLine), round);
        if (p->executablePath != utf8(copy))
            std::printf("child's path: %s\n", show(p->executablePath).c_str());
    }
    touch(go);
    WaitForSingleObject(child.hProcess, 30000);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    DeleteFileW(report.c_str());
    DeleteFileW(go.c_str());
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(dir.c_str());
}

// The kernel's names of files as drive paths, as users write them.
void testDosDevicePaths()
{
    wchar_t device[1024] = {};
    CHECK(QueryDosDeviceW(L"C:", device, 1024) > 0);
    const std::wstring c(device);
    std::printf("C: is %s\n", utf8(c).c_str());
    struct Row { const char* name; std::wstring nt; std::optional<std::wstring> dos; };
    const Row rows[] = {
        {"drive's device", c + L"\\Windows\\x.exe", L"C:\\Windows\\x.exe"},
        {"device in other case", L"\\DEVICE" + c.substr(7) + L"\\x.exe", L"C:\\x.exe"},
        {"another device that begins alike", c + L"0\\x.exe", std::nullopt},
        {"device alone", c, std::nullopt},
        {"drive form", L"\\??\\D:\\Tools\\x.exe", L"D:\\Tools\\x.exe"},
        {"network share", L"\\Device\\Mup\\server\\share\\x.exe", L"\\\\server\\share\\x.exe"},
        {"unknown device", L"\\Device\\ZervaNoSuchDevice\\x.exe", std::nullopt},
    };
    DosDevicePaths paths;
    for (const Row& row : rows) {
        const auto dos = paths.toDosPath(row.nt);
        CHECK_ROW(dos == row.dos, std::string(row.name) + " gives " + (dos ? utf8(*dos) : "nothing"));
    }
}

// The trust test's comparison of a process's path with an entry, as the
// system compares file names: case ignored through the system's upper-case
// table, so letters that only lower-case alike stay apart.
void testPathSpelling()
{
    struct Row { const char* name; std::u16string path; std::u16string entry; bool same; };
    const Row rows[] = {
        {"same", u"c:\\tools\\kit.exe", u"c:\\tools\\kit.exe", true},
        {"other case", u"C:\\Tools\\KIT.EXE", u"c:\\tools\\kit.exe", true},
        {"a with ring, other case", u"c:\\\u00c5\\x.exe", u"c:\\\u00e5\\x.exe", true},
        {"omega, other case", u"c:\\\u03a9\\x.exe", u"c:\\\u03c9\\x.exe", true},
        {"Kelvin sign against k", u"c:\\tools\\\u212ait.exe", u"c:\\tools\\kit.exe", false},
        {"Kelvin sign against K", u"c:\\tools\\\u212ait.exe", u"c:\\tools\\Kit.exe", false},
        {"Ohm sign against omega", u"c:\\\u2126\\x.exe", u"c:\\\u03c9\\x.exe", false},
        {"Angstrom sign against a with ring", u"c:\\\u212b\\x.exe", u"c:\\\u00e5\\x.exe", false},
        {"entry with the Kelvin sign", u"c:\\tools\\kit.exe", u"c:\\tools\\\u212ait.exe", false},
        {"longer entry", u"c:\\app\\a.exe", u"c:\\app\\a.exe.bak", false},
        {"empty", u"", u"", true},
    };
    for (const Row& row : rows)
        CHECK_ROW(SamePathSpelling(row.path, row.entry) == row.same, row.name);
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

    // Paths also: one that no file's name can be is none.
    struct TextRow { const char* name; VARTYPE vt; const wchar_t* text; std::size_t length;
                     std::optional<std::string> expected; std::optional<std::string> path; };
    const std::string replaced = "a\xEF\xBF\xBD.exe";
    const TextRow texts[] = {
        {"turkish letters", VT_BSTR, L"\u00e7\u011f\u0131\u015f\u0130.exe", 9, std::string("\xc3\xa7\xc4\x9f\xc4\xb1\xc5\x9f\xc4\xb0.exe"),
         std::string("\xc3\xa7\xc4\x9f\xc4\xb1\xc5\x9f\xc4\xb0.exe")},
        {"beyond the BMP", VT_BSTR, L"\U0001F600", 2, std::string("\xf0\x9f\x98\x80"), std::string("\xf0\x9f\x98\x80")},
        {"unpaired high surrogate", VT_BSTR, L"a\xD800.exe", 6, replaced, std::nullopt},
        {"unpaired low surrogate", VT_BSTR, L"a\xDC00.exe", 6, replaced, std::nullopt},
        {"embedded NUL", VT_BSTR, L"a\0b.exe", 7, std::string("a\0b.exe", 7), std::nullopt},
        {"null", VT_NULL, nullptr, 0, std::nullopt, std::nullopt},
        {"number", VT_I4, nullptr, 0, std::nullopt, std::nullopt},
    };
    for (const TextRow& row : texts) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = row.vt;
        if (row.vt == VT_BSTR)
            V_BSTR(&v) = SysAllocStringLen(row.text, static_cast<UINT>(row.length));
        if (row.vt == VT_I4)
            V_I4(&v) = 7;
        CHECK_ROW(VariantText(v) == row.expected, row.name);
        bool unshowable = true;
        CHECK_ROW(VariantPath(v, unshowable) == row.path, row.name);
        CHECK_ROW(unshowable == (row.vt == VT_BSTR && !row.path), row.name);
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

// --- The refresh cost of the two sources (--bench) ---------------------------

double medianMs(ProcessSource& source, int rounds, std::size_t& count)
{
    std::vector<ProcessInfo> ps;
    source.snapshot(ps);   // loads what the source needs once, as the first refresh does
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        source.snapshot(ps);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    count = ps.size();
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// The one native call that lists the processes, alone: under Wine the
// management service does no more than this per refresh (it gives no paths
// and command lines), so it is the like-for-like figure there.
double listCallMs(int rounds)
{
    std::vector<char> buffer(1 << 20);
    std::vector<double> ms;
    for (int i = 0; i <= rounds; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        ULONG needed = 0;
        NtDll::get().querySystemInformation(5, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (i > 0)
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Both sources over the same processes: this one, Wine's services and
// `children` waiting copies of this program.
int bench(int children, int rounds)
{
    const std::wstring dir = tempDir();
    const std::wstring go = dir + L"\\bench-go";
    DeleteFileW(go.c_str());
    std::vector<HANDLE> started;
    for (int i = 0; i < children; ++i) {
        std::wstring commandLine = L"\"" + ownExePath() + L"\" --child \"" + dir + L"\\bench-" + std::to_wstring(i)
            + L"\" \"" + go + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
            CloseHandle(child.hThread);
            started.push_back(child.hProcess);
        }
    }
    NtProcessSource native;
    WmiProcessSource service;
    std::size_t nativeCount = 0, serviceCount = 0;
    const double nativeMs = medianMs(native, rounds, nativeCount);
    const double serviceMs = medianMs(service, rounds, serviceCount);
    const double listMs = listCallMs(rounds);
    touch(go);
    for (HANDLE h : started) {
        WaitForSingleObject(h, 30000);
        CloseHandle(h);
    }
    for (int i = 0; i < children; ++i)
        DeleteFileW((dir + L"\\bench-" + std::to_wstring(i)).c_str());
    DeleteFileW(go.c_str());
    std::printf("refresh over %zu processes (native) / %zu (management service), median of %d:\n", nativeCount,
                serviceCount, rounds);
    std::printf("  native source:             %8.3f ms\n", nativeMs);
    std::printf("  native list call alone:    %8.3f ms\n", listMs);
    std::printf("  management-service source: %8.3f ms\n", serviceMs);
    std::printf("  ratio service/native:      %8.2f\n", nativeMs > 0 ? serviceMs / nativeMs : 0.0);
    std::printf("  ratio service/list call:   %8.1f\n", listMs > 0 ? serviceMs / listMs : 0.0);
    return nativeCount > 0 && serviceCount > 0 ? 0 : 1;
}

// What the native source gives (--list), to look at by hand.
int list()
{
    std::vector<ProcessInfo> ps;
    if (!NtProcessSource().snapshot(ps))
        return 1;
    for (const ProcessInfo& p : ps)
        std::printf("%5lld %-22s path %s suspect %d threads %s prio %s mem %s cmd %s\n", static_cast<long long>(p.pid),
                    show(p.caption).c_str(), show(p.executablePath).c_str(), p.pathSuspect ? 1 : 0,
                    show(p.threadCount).c_str(), show(p.priority).c_str(), show(p.pageFileUsage).c_str(),
                    show(p.commandLine).c_str());
    return 0;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc > 1 && std::wstring(argv[1]) == L"--child")
        return childMain(argc, argv);
    if (argv && argc > 1 && std::wstring(argv[1]) == L"--list")
        return list();
    if (argv && argc > 1 && std::wstring(argv[1]) == L"--selfcheck")
        return SelfCheck();
    if (argv && argc > 1 && std::wstring(argv[1]) == L"--bench")
        return bench(argc > 2 ? _wtoi(argv[2]) : 40, argc > 3 ? _wtoi(argv[3]) : 20);

    std::printf("system ANSI code page: %u; debug privilege enabled: %s\n", GetACP(),
                WmiProcessSource::enableDebugPrivilege() ? "yes" : "no");
    run("own process", testOwnProcess);
    run("native and service rows agree", testSourcesAgree);
    run("a child's path and command line", testChildPath);
    run("path spelling", testPathSpelling);
    run("drive paths from the kernel's names", testDosDevicePaths);
    RunNativeAnswerTests();
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
    // The report a Windows user sends, as it reads here.
    run("self-check", [] { CHECK(SelfCheck() == 0); });
    std::printf("%d checks, %d failed\n", g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}
