// Numbers as the file writes them, in one fixed form whatever the locale.
#pragma once

#include "pdf/objects/pdf_memory_stream.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvora::pdf
{

// Any 64-bit integer with its sign.
inline constexpr std::size_t kMaxIntChars = 20;
// Room for any number PutInt or PutReal writes.
inline constexpr std::size_t kMaxNumberChars = 24;

// Writes AValue at AOut (kMaxNumberChars of room) and returns the end, so that operators are
// built on the stack.
inline char* PutInt(char* AOut, std::int64_t AValue)
{
    return std::to_chars(AOut, AOut + kMaxIntChars, AValue).ptr;
}

// FormatReal's text at AOut (kMaxNumberChars of room); returns the end.
char* PutReal(char* AOut, double X);

// Content-stream number: rounded half away from zero to two decimals, "." always.
std::string FormatReal(double X);
void AppendReal(std::string& AOut, double X);

// Fixed decimal form with at most 15 significant digits, "." always, never an exponent.
std::string FormatGeneral(double X);

void AppendInt(std::string& AOut, std::int64_t AValue);
std::string IntToStr(std::int64_t AValue);
void WriteInt(std::int64_t AValue, TPdfMemoryStream& AStream);

} // namespace kelvora::pdf
