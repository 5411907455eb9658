#include "platform/os/windows/wmi_variant.h"

#include "platform/os/windows/win_code_page.h"

#include <limits>
#include <string_view>

namespace zerva {

namespace {

constexpr std::uint64_t kInt64Max = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

std::optional<std::int64_t> fromUnsigned(std::uint64_t v)
{
    if (v > kInt64Max)
        return std::nullopt;
    return static_cast<std::int64_t>(v);
}

// Decimal text as WMI writes 64-bit numbers: an optional '-', then digits
// only.
std::optional<std::int64_t> parseDecimal(const wchar_t* text, unsigned length)
{
    if (!text || length == 0)
        return std::nullopt;
    const bool negative = text[0] == L'-';
    unsigned i = negative ? 1 : 0;
    if (i == length)
        return std::nullopt;
    const std::uint64_t limit = negative ? kInt64Max + 1 : kInt64Max;
    std::uint64_t v = 0;
    for (; i < length; ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return std::nullopt;
        const unsigned digit = static_cast<unsigned>(text[i] - L'0');
        if (v > (limit - digit) / 10)
            return std::nullopt;
        v = v * 10 + digit;
    }
    if (negative)
        return v == kInt64Max + 1 ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(v);
    return static_cast<std::int64_t>(v);
}

} // namespace

std::optional<std::string> VariantText(const VARIANT& value)
{
    if (V_VT(&value) != VT_BSTR)
        return std::nullopt;
    const BSTR text = V_BSTR(&value);
    return Utf16ToUtf8Lenient(text ? text : L"", text ? SysStringLen(text) : 0);
}

std::optional<std::string> VariantPath(const VARIANT& value, bool& unshowable)
{
    unshowable = false;
    if (V_VT(&value) == VT_BSTR && V_BSTR(&value)) {
        const BSTR text = V_BSTR(&value);
        const std::size_t length = SysStringLen(text);
        if (std::wstring_view(text, length).find(L'\0') != std::wstring_view::npos
            || !IsWellFormedUtf16(text, length)) {
            unshowable = true;
            return std::nullopt;
        }
    }
    return VariantText(value);
}

std::optional<std::int64_t> VariantNumber(const VARIANT& value, CIMTYPE type)
{
    switch (V_VT(&value)) {
    case VT_I1: return V_I1(&value);
    case VT_UI1: return V_UI1(&value);
    // Each branch widens on its own: a shared conditional type would turn
    // negative signed values into huge unsigned ones.
    case VT_I2:
        if (type == CIM_UINT16)
            return static_cast<std::uint16_t>(V_I2(&value));
        return V_I2(&value);
    case VT_UI2: return V_UI2(&value);
    case VT_I4:
    case VT_INT:
        if (type == CIM_UINT32)
            return static_cast<std::uint32_t>(V_I4(&value));
        return V_I4(&value);
    case VT_UI4:
    case VT_UINT: return V_UI4(&value);
    case VT_I8:
        if (type == CIM_UINT64 && V_I8(&value) < 0)
            return std::nullopt;
        return V_I8(&value);
    case VT_UI8: return fromUnsigned(V_UI8(&value));
    case VT_BSTR: {
        const std::optional<std::int64_t> v = parseDecimal(V_BSTR(&value), V_BSTR(&value) ? SysStringLen(V_BSTR(&value)) : 0);
        if (v && *v < 0 && (type == CIM_UINT64 || type == CIM_UINT32))
            return std::nullopt;
        return v;
    }
    default: return std::nullopt;
    }
}

} // namespace zerva
