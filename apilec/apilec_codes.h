// Result and detail codes of the stand-in card-reader library, and the class of each one
// that an installation's `erreur` table records ("O" = blocking).
#pragma once

#include <array>
#include <cstdint>

namespace apilec_sim
{

enum Code : std::uint16_t {
    Ok = 0,
    UnknownReader = 16,    // Lec_InitLecteurs: reader name not among the connected readers
    NotInitialised = 17,   // a session was asked for before a successful Lec_InitLecteurs
    BadSession = 18,       // a card call names a session that is not open (or of the other card)
    BadArgument = 19,      // a pointer the call needs is null
    CpsAbsent = 24,        // no professional card in the reader
    VitaleAbsent = 25,     // no patient card in the reader
    DocumentMissing = 26,  // the scenario names a card document that cannot be read
    DocumentTooLarge = 27, // the caller's buffer is smaller than the document
    UnknownCode = 30,      // Lec_Dictionnaire: no label for that table and code
    WrongPin = 41,         // Lec_ControleCPS: wrong PIN; detail = tries left (2, then 1)
    CpsBlocked = 42,       // Lec_ControleCPS: third wrong PIN in a row, card blocked
};

struct ErreurRow {
    std::uint16_t code;
    const char* bloquant;
};

// Rows written into `erreur` by an installation that uses the stand-in library.
// WrongPin and UnknownCode are deliberately absent: a wrong PIN is handled by its own rule,
// and a missing dictionary label must not stop a reading.
inline constexpr std::array<ErreurRow, 9> kErreurRows{{
    {UnknownReader, "O"},
    {NotInitialised, "O"},
    {BadSession, "O"},
    {BadArgument, "O"},
    {CpsAbsent, "O"},
    {VitaleAbsent, "O"},
    {DocumentMissing, "O"},
    {DocumentTooLarge, "O"},
    {CpsBlocked, "O"},
}};

} // namespace apilec_sim
