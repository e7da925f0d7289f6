// Windows-1252, the code page of the card library's texts, its INI files, the RTF log and the
// PDF's standard fonts: one table for all of them.
#pragma once

#include <optional>

namespace kelvora::cp1252
{

// The five bytes the code page leaves unassigned stand for the C1 controls of the same
// number, both ways, as Windows and the WHATWG index read them: every byte has a character
// and comes back unchanged.
inline constexpr unsigned char kUnassigned[] = {0x81, 0x8D, 0x8F, 0x90, 0x9D};

bool isUnassigned(unsigned char byte);

// The character of a byte.
char16_t toUnicode(unsigned char byte);

// The byte of a UTF-16 code unit; nullopt for a character the code page lacks (a surrogate
// too).
std::optional<unsigned char> fromUnicode(char16_t c);

} // namespace kelvora::cp1252
