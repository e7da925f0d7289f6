// The whole state of the stand-in card-reader library, in one object: whether it was
// initialised, the open sessions and the professional card's wrong-PIN counter. Loading the
// library afresh starts a fresh object.
#pragma once

#include "apilec/apilec_types.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace apilec_sim
{

class CallLine;
class Scenario;

class Simulator
{
public:
    static Simulator& instance();

    std::uint16_t listeLecteurs(const char* folder, kelvora::reader::PinfosLecteur list,
                                std::int32_t* count, std::uint16_t* error);
    std::uint16_t initLecteurs(const char* folder, const char* vitaleReader, const char* cpsReader,
                               std::uint16_t* error);
    std::uint16_t ouvertureSession(bool cps, const char* folder, const char16_t* const* application,
                                   std::uint16_t* session, std::uint16_t* error);
    std::uint16_t introductionMstVitale(std::uint16_t session, std::uint16_t word,
                                        std::uint16_t* cardState, std::uint16_t* error);
    std::uint16_t introductionMstCPS(std::uint16_t session, std::uint16_t word, char* civilite,
                                     char* nom, std::uint16_t* word2, std::uint16_t* error);
    std::uint16_t controleCPS(std::uint16_t session, const char* pin, char* date, char* appli,
                              char* typeCarte, char* presentPin, char* categorie,
                              std::uint16_t* error);
    std::uint16_t lectureVitale(std::uint16_t vitaleSession, std::uint16_t cpsSession, char* buffer,
                                std::uint32_t* size, std::uint16_t* error);
    std::uint16_t retrait(bool cps, std::uint16_t session, std::uint32_t word,
                          std::uint16_t* error);
    std::uint16_t fermetureSession(bool cps, std::uint16_t session, std::uint16_t* error);
    std::uint16_t dictionnaire(const char* folder, std::int16_t table, const char* code,
                               const char* version, char* label, std::uint16_t* capacity,
                               std::uint16_t* error);

private:
    struct Session {
        bool cps;
        std::string folder;
    };

    // The folder of an open session of the given card, or nullptr.
    const Session* find(std::uint16_t session, bool cps) const;
    // The folder a session-addressed call logs to: its session's, else the last one seen.
    std::string folderOf(std::uint16_t session) const;
    std::string remember(const char* folder);

    // Replaces the outcome by the scenario's forced pair if any, hands the detail code to the
    // caller, logs the call and returns the result.
    std::uint16_t finish(const std::string& folder, const Scenario& scenario, CallLine& line,
                         std::string_view function, std::uint16_t result, std::uint16_t detail,
                         std::uint16_t* error, std::string_view after = {});

    std::mutex mutex_;
    bool initialised_ = false;
    std::map<std::uint16_t, Session> sessions_;
    std::uint16_t lastSession_ = 0;
    int wrongPins_ = 0;
    bool blocked_ = false;
    std::string lastFolder_;
};

} // namespace apilec_sim
