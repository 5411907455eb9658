#include "platform/os/windows/win_code_page.h"

#include <windows.h>

#include <climits>

namespace zerva {

namespace {

unsigned resolve(unsigned codePage)
{
    return codePage == kSystemAnsiCodePage ? GetACP() : codePage;
}

bool fitsInt(std::size_t n)
{
    return n <= static_cast<std::size_t>(INT_MAX);
}

// Code pages whose conversions take neither WC_NO_BEST_FIT_CHARS nor a
// used-default flag; for them WC_ERR_INVALID_CHARS does the same job.
bool isUnicodeCodePage(unsigned cp)
{
    return cp == CP_UTF8 || cp == 54936;   // 54936: GB18030 covers all of Unicode
}

bool decode(unsigned cp, const char* bytes, int length, std::u16string& out)
{
    out.clear();
    if (length == 0)
        return true;
    const int n = MultiByteToWideChar(cp, 0, bytes, length, nullptr, 0);
    if (n <= 0)
        return false;
    out.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(cp, 0, bytes, length, reinterpret_cast<wchar_t*>(out.data()), n) == n;
}

// One encoding attempt with the given flags; `usedDefault` null where the
// code page does not take it.
bool encode(unsigned cp, DWORD flags, BOOL* usedDefault, const std::u16string& text, std::string& out)
{
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(cp, flags, wide, length, nullptr, 0, nullptr, usedDefault);
    if (n <= 0)
        return false;
    out.resize(static_cast<std::size_t>(n));
    return WideCharToMultiByte(cp, flags, wide, length, out.data(), n, nullptr, usedDefault) == n;
}

} // namespace

bool CodePageToUtf16(const std::string& bytes, std::u16string& out, unsigned codePage)
{
    if (!fitsInt(bytes.size())) {
        out.clear();
        return false;
    }
    return decode(resolve(codePage), bytes.data(), static_cast<int>(bytes.size()), out);
}

bool Utf16ToCodePage(const std::u16string& text, std::string& out, unsigned codePage)
{
    out.clear();
    if (text.empty())
        return true;
    if (!fitsInt(text.size()))
        return false;
    const unsigned cp = resolve(codePage);

    BOOL usedDefault = FALSE;
    bool encoded = isUnicodeCodePage(cp)
        ? encode(cp, WC_ERR_INVALID_CHARS, nullptr, text, out)
        : encode(cp, WC_NO_BEST_FIT_CHARS, &usedDefault, text, out);
    if (!encoded && (GetLastError() == ERROR_INVALID_FLAGS || GetLastError() == ERROR_INVALID_PARAMETER)) {
        // A code page that takes no flags: the round trip below still
        // catches every replaced character.
        usedDefault = FALSE;
        encoded = encode(cp, 0, nullptr, text, out);
    }
    if (!encoded || usedDefault) {
        out.clear();
        return false;
    }

    // Belt and braces: only an exact round trip counts. This also refuses
    // look-alikes on systems whose tables ignore WC_NO_BEST_FIT_CHARS.
    std::u16string back;
    if (!decode(cp, out.data(), static_cast<int>(out.size()), back) || back != text) {
        out.clear();
        return false;
    }
    return true;
}

std::string Utf16ToUtf8Lenient(const wchar_t* text, std::size_t length)
{
    std::string out;
    if (length == 0 || !fitsInt(length))
        return out;
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return out;
    out.resize(static_cast<std::size_t>(n));
    if (WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr, nullptr) != n)
        out.clear();
    return out;
}

std::string Utf16ToUtf8Lenient(const std::u16string& text)
{
    return Utf16ToUtf8Lenient(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

bool IsWellFormedUtf16(const wchar_t* text, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        const wchar_t c = text[i];
        if (c < 0xD800 || c > 0xDFFF)
            continue;
        // A high surrogate followed by a low one is one character.
        if (c > 0xDBFF || i + 1 == length || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
            return false;
        ++i;
    }
    return true;
}

bool Utf8ToUtf16Strict(const std::string& text, std::wstring& out)
{
    out.clear();
    if (text.empty())
        return true;
    if (!fitsInt(text.size()) || text.find('\0') != std::string::npos)
        return false;
    const int length = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (n <= 0)
        return false;
    out.resize(static_cast<std::size_t>(n));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, out.data(), n) != n) {
        out.clear();
        return false;
    }
    return true;
}

} // namespace zerva
