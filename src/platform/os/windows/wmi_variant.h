#pragma once

// Turning the VARIANTs that IWbemClassObject::Get returns into the plain
// values of ProcessInfo.

#include <windows.h>
#include <oaidl.h>
#include <wbemcli.h>

#include <cstdint>
#include <optional>
#include <string>

namespace zerva {

// Text of a string property; null for VT_NULL and for any other type.
std::optional<std::string> VariantText(const VARIANT& value);

// A path property as VariantText gives it, or null and `unshowable` set
// when it holds an unpaired surrogate or a NUL: as U+FFFD it would read
// alike for different files, and no file's name holds a NUL.
std::optional<std::string> VariantPath(const VARIANT& value, bool& unshowable);

// A whole-number property of CIM type `type`. WMI hands 32-bit unsigned
// values over as VT_I4 and 64-bit ones as decimal text; both are read back
// as the unsigned numbers they are. Null for VT_NULL, for non-numbers and
// for values beyond int64.
std::optional<std::int64_t> VariantNumber(const VARIANT& value, CIMTYPE type);

} // namespace zerva
