// Text as Windows-1252 bytes, and the escapes of a literal string.
#pragma once

#include "pdf/objects/pdf_memory_stream.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvora::pdf
{

// The Windows-1252 byte of one UTF-16 code unit; '?' for a character the code page lacks.
char AnsiChar(char16_t AChar);

// The byte written for the code unit at APos of S. A character the code page lacks is one '?'
// whatever its plane: the first half of a surrogate pair writes it, the second half nothing.
std::optional<char> AnsiByteAt(std::u16string_view S, std::size_t APos);

// Writes S as Windows-1252 bytes, one byte per character, no terminator.
void WriteAnsi(std::u16string_view S, TPdfMemoryStream& AStream);

// Escapes ( ) \ CR LF TAB BS FF with a backslash; everything else unchanged.
std::u16string EscapeLiteral(std::u16string_view S);
// Same as WriteAnsi(EscapeLiteral(S)) without the intermediate text.
void WriteEscapedAnsi(std::u16string_view S, TPdfMemoryStream& AStream);

bool HasSurrogates(std::u16string_view S);
// A byte string operand: (literal) in Windows-1252. Never hex: the standard fonts read one
// byte per glyph, so hex digits of UTF-16 units would shift every later character.
void WriteStringOperand(std::u16string_view S, TPdfMemoryStream& AStream);
// A text string for readers (document information): (literal) when plain ASCII, otherwise
// <FEFF...> in UTF-16BE, since readers decode other bytes as PDFDocEncoding, not Windows-1252.
void WriteTextString(std::u16string_view S, TPdfMemoryStream& AStream);
// Each code unit as upper-case hex, at least two digits.
std::u16string TextToHex(std::u16string_view S);
// Each code unit as exactly four upper-case hex digits (UTF-16 big-endian).
std::u16string TextToUtf16Hex(std::u16string_view S);
// Byte-order mark and language escape for English: FEFF001B656E001B.
std::u16string UnicodeTextPrefix();

// Each character as its Windows-1252 byte ('?' when the code page lacks it); bytes outside
// 0x21..0x7E and the delimiters become #XX.
std::u16string EncodeName(std::u16string_view S);
void WriteName(std::u16string_view S, TPdfMemoryStream& AStream);

// Conversions for messages and callers that hold UTF-8.
std::string Utf16ToUtf8(std::u16string_view S);
std::u16string Utf8ToUtf16(std::string_view S);

} // namespace kelvora::pdf
