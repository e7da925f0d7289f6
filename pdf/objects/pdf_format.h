// Numbers as the file writes them, in one fixed form whatever the locale.
#pragma once

#include "pdf/objects/pdf_memory_stream.h"

#include <cstdint>
#include <string>

namespace kelvora::pdf
{

// Content-stream number: rounded half away from zero to two decimals, "." always.
std::string FormatReal(double X);
void AppendReal(std::string& AOut, double X);

// Fixed decimal form with at most 15 significant digits, "." always, never an exponent.
std::string FormatGeneral(double X);

void AppendInt(std::string& AOut, std::int64_t AValue);
std::string IntToStr(std::int64_t AValue);
void WriteInt(std::int64_t AValue, TPdfMemoryStream& AStream);

} // namespace kelvora::pdf
