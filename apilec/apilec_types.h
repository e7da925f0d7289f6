// Argument layouts of the card-reader library's 13 functions. Plain C++ so that the
// stand-in library compiles against the very same declarations as the binding.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kelvora::reader
{

#pragma pack(push, 1)
// One connected reader as the library lists it.
struct T_infosLecteur {
    char nom_ressource[256]; // zero-terminated reader name, ANSI
    std::uint8_t mode_acces;
    std::uint8_t indiceRM;
    std::uint8_t isInit;
    std::uint16_t num_lect;
    std::uint16_t num_coupleur;
    std::uint16_t type_carte;
};
#pragma pack(pop)

static_assert(sizeof(T_infosLecteur) == 265);
static_assert(offsetof(T_infosLecteur, nom_ressource) == 0);
static_assert(offsetof(T_infosLecteur, mode_acces) == 256);
static_assert(offsetof(T_infosLecteur, indiceRM) == 257);
static_assert(offsetof(T_infosLecteur, isInit) == 258);
static_assert(offsetof(T_infosLecteur, num_lect) == 259);
static_assert(offsetof(T_infosLecteur, num_coupleur) == 261);
static_assert(offsetof(T_infosLecteur, type_carte) == 263);

using PinfosLecteur = T_infosLecteur*;

// Fixed ANSI arrays the library fills: N characters and room for the terminating zero.
using TChar2 = std::array<char, 3>;
using TChar8 = std::array<char, 9>;
using TChar10 = std::array<char, 11>;
using TChar27 = std::array<char, 28>;

// The library's own names for its functions, in the order of the binding's table.
using Lec_ListeLecteurs_t = std::uint16_t (*)(const char* folder, PinfosLecteur list,
                                              std::int32_t* count, std::uint16_t* error);
using Lec_InitLecteurs_t = std::uint16_t (*)(const char* folder, const char* vitaleReader,
                                             const char* cpsReader, std::uint16_t* error);
// `application` points at a cell that holds the address of a zero-terminated UTF-16 text.
using Lec_OuvertureSessionVitale_t = std::uint16_t (*)(const char* folder,
                                                       const char16_t* const* application,
                                                       std::uint16_t* session,
                                                       std::uint16_t* error);
using Lec_OuvertureSessionCPS_t = std::uint16_t (*)(const char* folder,
                                                    const char16_t* const* application,
                                                    std::uint16_t* session, std::uint16_t* error);
using Lec_IntroductionMstVitale_t = std::uint16_t (*)(std::uint16_t session, std::uint16_t word,
                                                      std::uint16_t* cardState,
                                                      std::uint16_t* error);
using Lec_IntroductionMstCPS_t = std::uint16_t (*)(std::uint16_t session, std::uint16_t word,
                                                   char* civilite /* TChar2 */,
                                                   char* nom /* TChar27 */, std::uint16_t* word2,
                                                   std::uint16_t* error);
using Lec_ControleCPS_t = std::uint16_t (*)(std::uint16_t session, const char* pin,
                                            char* date /* TChar8 */, char* appli /* TChar10 */,
                                            char* typeCarte /* TChar2 */,
                                            char* presentPin /* TChar2 */,
                                            char* categorie /* TChar2 */, std::uint16_t* error);
using Lec_LectureVitale_t = std::uint16_t (*)(std::uint16_t vitaleSession, std::uint16_t cpsSession,
                                              char* buffer, std::uint32_t* size,
                                              std::uint16_t* error);
using Lec_RetraitMhtVitale_t = std::uint16_t (*)(std::uint16_t session, std::uint32_t word,
                                                 std::uint16_t* error);
using Lec_RetraitMhtCPS_t = std::uint16_t (*)(std::uint16_t session, std::uint16_t word,
                                              std::uint16_t* error);
using Lec_FermetureSessionVitale_t = std::uint16_t (*)(std::uint16_t session, std::uint16_t* error);
using Lec_FermetureSessionCPS_t = std::uint16_t (*)(std::uint16_t session, std::uint16_t* error);
using Lec_Dictionnaire_t = std::uint16_t (*)(const char* folder, std::int16_t table,
                                             const char* code, const char* version, char* label,
                                             std::uint16_t* capacity, std::uint16_t* error);

} // namespace kelvora::reader
