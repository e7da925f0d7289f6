// The 13 exported functions of the card-reader library, with C linkage and the argument
// layouts the application binds by name. Each one hands over to the one state object.
#include "apilec/apilec_types.h"
#include "simulator.h"

#include <type_traits>

using namespace kelvora::reader;
using apilec_sim::Simulator;

#define APILEC_EXPORT extern "C" __attribute__((visibility("default")))

APILEC_EXPORT std::uint16_t Lec_ListeLecteurs(const char* folder, PinfosLecteur list,
                                              std::int32_t* count, std::uint16_t* error)
{
    return Simulator::instance().listeLecteurs(folder, list, count, error);
}

APILEC_EXPORT std::uint16_t Lec_InitLecteurs(const char* folder, const char* vitaleReader,
                                             const char* cpsReader, std::uint16_t* error)
{
    return Simulator::instance().initLecteurs(folder, vitaleReader, cpsReader, error);
}

APILEC_EXPORT std::uint16_t Lec_OuvertureSessionVitale(const char* folder,
                                                       const char16_t* const* application,
                                                       std::uint16_t* session, std::uint16_t* error)
{
    return Simulator::instance().ouvertureSession(false, folder, application, session, error);
}

APILEC_EXPORT std::uint16_t Lec_OuvertureSessionCPS(const char* folder,
                                                    const char16_t* const* application,
                                                    std::uint16_t* session, std::uint16_t* error)
{
    return Simulator::instance().ouvertureSession(true, folder, application, session, error);
}

APILEC_EXPORT std::uint16_t Lec_IntroductionMstVitale(std::uint16_t session, std::uint16_t word,
                                                      std::uint16_t* cardState,
                                                      std::uint16_t* error)
{
    return Simulator::instance().introductionMstVitale(session, word, cardState, error);
}

APILEC_EXPORT std::uint16_t Lec_IntroductionMstCPS(std::uint16_t session, std::uint16_t word,
                                                   char* civilite, char* nom, std::uint16_t* word2,
                                                   std::uint16_t* error)
{
    return Simulator::instance().introductionMstCPS(session, word, civilite, nom, word2, error);
}

APILEC_EXPORT std::uint16_t Lec_ControleCPS(std::uint16_t session, const char* pin, char* date,
                                            char* appli, char* typeCarte, char* presentPin,
                                            char* categorie, std::uint16_t* error)
{
    return Simulator::instance().controleCPS(session, pin, date, appli, typeCarte, presentPin,
                                             categorie, error);
}

APILEC_EXPORT std::uint16_t Lec_LectureVitale(std::uint16_t vitaleSession, std::uint16_t cpsSession,
                                              char* buffer, std::uint32_t* size,
                                              std::uint16_t* error)
{
    return Simulator::instance().lectureVitale(vitaleSession, cpsSession, buffer, size, error);
}

APILEC_EXPORT std::uint16_t Lec_RetraitMhtVitale(std::uint16_t session, std::uint32_t word,
                                                 std::uint16_t* error)
{
    return Simulator::instance().retrait(false, session, word, error);
}

APILEC_EXPORT std::uint16_t Lec_RetraitMhtCPS(std::uint16_t session, std::uint16_t word,
                                              std::uint16_t* error)
{
    return Simulator::instance().retrait(true, session, word, error);
}

APILEC_EXPORT std::uint16_t Lec_FermetureSessionVitale(std::uint16_t session, std::uint16_t* error)
{
    return Simulator::instance().fermetureSession(false, session, error);
}

APILEC_EXPORT std::uint16_t Lec_FermetureSessionCPS(std::uint16_t session, std::uint16_t* error)
{
    return Simulator::instance().fermetureSession(true, session, error);
}

APILEC_EXPORT std::uint16_t Lec_Dictionnaire(const char* folder, std::int16_t table,
                                             const char* code, const char* version, char* label,
                                             std::uint16_t* capacity, std::uint16_t* error)
{
    return Simulator::instance().dictionnaire(folder, table, code, version, label, capacity, error);
}

// The exports keep the very layouts the binding calls through.
static_assert(std::is_same_v<decltype(&Lec_ListeLecteurs), Lec_ListeLecteurs_t>);
static_assert(std::is_same_v<decltype(&Lec_InitLecteurs), Lec_InitLecteurs_t>);
static_assert(std::is_same_v<decltype(&Lec_OuvertureSessionVitale), Lec_OuvertureSessionVitale_t>);
static_assert(std::is_same_v<decltype(&Lec_OuvertureSessionCPS), Lec_OuvertureSessionCPS_t>);
static_assert(std::is_same_v<decltype(&Lec_IntroductionMstVitale), Lec_IntroductionMstVitale_t>);
static_assert(std::is_same_v<decltype(&Lec_IntroductionMstCPS), Lec_IntroductionMstCPS_t>);
static_assert(std::is_same_v<decltype(&Lec_ControleCPS), Lec_ControleCPS_t>);
static_assert(std::is_same_v<decltype(&Lec_LectureVitale), Lec_LectureVitale_t>);
static_assert(std::is_same_v<decltype(&Lec_RetraitMhtVitale), Lec_RetraitMhtVitale_t>);
static_assert(std::is_same_v<decltype(&Lec_RetraitMhtCPS), Lec_RetraitMhtCPS_t>);
static_assert(std::is_same_v<decltype(&Lec_FermetureSessionVitale), Lec_FermetureSessionVitale_t>);
static_assert(std::is_same_v<decltype(&Lec_FermetureSessionCPS), Lec_FermetureSessionCPS_t>);
static_assert(std::is_same_v<decltype(&Lec_Dictionnaire), Lec_Dictionnaire_t>);
