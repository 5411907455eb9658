#pragma once

// Text conversion between UTF-16 and a Windows code page, strict where it
// writes. Plain C++ interface so that it is tested without Qt.

#include <string>

namespace zerva {

// The code page numbers used here; 0 means the system's ANSI code page.
constexpr unsigned kSystemAnsiCodePage = 0;
constexpr unsigned kUtf8CodePage = 65001;

// Decodes `bytes`. Never fails on content: a byte sequence the code page
// does not define becomes the code page's replacement character, as the
// system's own file statements read it. False only when the system
// refuses the conversion as a whole (an unknown code page).
bool CodePageToUtf16(const std::string& bytes, std::u16string& out,
                     unsigned codePage = kSystemAnsiCodePage);

// Encodes `text`. False, with `out` empty, when any character has no exact
// equivalent in the code page: nothing is replaced by '?' and nothing is
// mapped to a look-alike ("best fit"), so a text that cannot be written
// exactly is not written at all.
bool Utf16ToCodePage(const std::u16string& text, std::string& out,
                     unsigned codePage = kSystemAnsiCodePage);

// UTF-16 from the system to UTF-8 for display; ill-formed UTF-16 becomes
// U+FFFD instead of failing.
std::string Utf16ToUtf8Lenient(const std::u16string& text);
std::string Utf16ToUtf8Lenient(const wchar_t* text, std::size_t length);

// Whether `text` is well-formed UTF-16: every surrogate in a pair. The
// system's names may hold unpaired ones; as U+FFFD they would read alike for
// different names.
bool IsWellFormedUtf16(const wchar_t* text, std::size_t length);

// UTF-8 to UTF-16; false on ill-formed UTF-8 or an embedded NUL.
bool Utf8ToUtf16Strict(const std::string& text, std::wstring& out);

} // namespace zerva
