#pragma once

#include <string>
#include <string_view>

#include "convert/charset.h"

namespace gbkhex {

// The bytes that CharacterCode gives for each unit, as the window writes them
// but for a one-byte code above 7E, which stays one byte: what every output
// form of gbkhex-cli holds.
void AppendCodePage936Bytes(std::u16string_view units, std::string& out);
std::string CodePage936Bytes(std::u16string_view units);

// `units` as `charset` writes them (UnitToWrite: GB 2312's own readings of
// two codes): `units` itself, or a copy in `buffer` where a unit changes.
std::u16string_view UnitsToWrite(std::u16string_view units, Charset charset,
                                 std::u16string& buffer);

// The bytes of the units as `charset` writes them.
void AppendBytesToWrite(std::u16string_view units, Charset charset, std::string& out);

}  // namespace gbkhex
