// The card-reader library bound at run time by function name. A library or function that is
// missing never crashes a caller: the call returns nullopt and missing() says what is absent.
#pragma once

#include "apilec/apilec_types.h"
#include "platform/platform.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace kelvora::reader
{

enum class LecFunction {
    ListeLecteurs,
    InitLecteurs,
    OuvertureSessionVitale,
    OuvertureSessionCPS,
    IntroductionMstVitale,
    IntroductionMstCPS,
    ControleCPS,
    LectureVitale,
    RetraitMhtVitale,
    RetraitMhtCPS,
    FermetureSessionVitale,
    FermetureSessionCPS,
    Dictionnaire,
};
inline constexpr std::size_t kLecFunctionCount = 13;

// The exported name, e.g. "Lec_ControleCPS".
const char* lecFunctionName(LecFunction function);

inline constexpr char kApiLecFileName[] = "libapi_lec.so";

class ApiLecLibrary
{
public:
    ApiLecLibrary() = default;
    ~ApiLecLibrary() = default;
    ApiLecLibrary(const ApiLecLibrary&) = delete;
    ApiLecLibrary& operator=(const ApiLecLibrary&) = delete;

    // libapi_lec.so from `folder` when the file is there, else by name from the system's
    // library path. Any library loaded before is unloaded first.
    bool load(Platform& platform, const QString& folder);
    // Exactly this file (a bare name searches the system's library path).
    bool loadFile(Platform& platform, const QString& path);
    // Closes the library; loading it again starts it with a fresh state.
    void unload();

    bool loaded() const { return library_ != nullptr; }
    // Loaded and all 13 functions resolved.
    bool complete() const { return loaded() && missing().isEmpty(); }
    // Empty when everything is there; else the library's file name when it did not load, or
    // the names of the functions it lacks, joined by ", ".
    QString missing() const;
    // Empty when `function` can be called; else the library's file name or the function name.
    QString missing(LecFunction function) const;
    // The file asked for by the last successful load.
    const QString& path() const { return path_; }
    // The loader's message for the last failed load.
    const QString& errorString() const { return error_; }

    // One method per library function, arguments as the library takes them. nullopt when the
    // function is missing; otherwise the library's result code.
    std::optional<std::uint16_t> listeLecteurs(const char* folder, PinfosLecteur list,
                                               std::int32_t* count, std::uint16_t* error) const;
    std::optional<std::uint16_t> initLecteurs(const char* folder, const char* vitaleReader,
                                              const char* cpsReader, std::uint16_t* error) const;
    std::optional<std::uint16_t> ouvertureSessionVitale(const char* folder,
                                                        const char16_t* const* application,
                                                        std::uint16_t* session,
                                                        std::uint16_t* error) const;
    std::optional<std::uint16_t> ouvertureSessionCPS(const char* folder,
                                                     const char16_t* const* application,
                                                     std::uint16_t* session,
                                                     std::uint16_t* error) const;
    std::optional<std::uint16_t> introductionMstVitale(std::uint16_t session, std::uint16_t word,
                                                       std::uint16_t* cardState,
                                                       std::uint16_t* error) const;
    std::optional<std::uint16_t> introductionMstCPS(std::uint16_t session, std::uint16_t word,
                                                    TChar2& civilite, TChar27& nom,
                                                    std::uint16_t* word2,
                                                    std::uint16_t* error) const;
    std::optional<std::uint16_t> controleCPS(std::uint16_t session, const char* pin, TChar8& date,
                                             TChar10& appli, TChar2& typeCarte, TChar2& presentPin,
                                             TChar2& categorie, std::uint16_t* error) const;
    std::optional<std::uint16_t> lectureVitale(std::uint16_t vitaleSession,
                                               std::uint16_t cpsSession, char* buffer,
                                               std::uint32_t* size, std::uint16_t* error) const;
    std::optional<std::uint16_t> retraitMhtVitale(std::uint16_t session, std::uint32_t word,
                                                  std::uint16_t* error) const;
    std::optional<std::uint16_t> retraitMhtCPS(std::uint16_t session, std::uint16_t word,
                                               std::uint16_t* error) const;
    std::optional<std::uint16_t> fermetureSessionVitale(std::uint16_t session,
                                                        std::uint16_t* error) const;
    std::optional<std::uint16_t> fermetureSessionCPS(std::uint16_t session,
                                                     std::uint16_t* error) const;
    std::optional<std::uint16_t> dictionnaire(const char* folder, std::int16_t table,
                                              const char* code, const char* version, char* label,
                                              std::uint16_t* capacity, std::uint16_t* error) const;

private:
    template <typename Fn, typename... Args>
    std::optional<std::uint16_t> call(LecFunction function, Args... args) const;

    std::unique_ptr<SharedLibrary> library_;
    std::array<void*, kLecFunctionCount> functions_{};
    QString path_;
    QString error_;
};

} // namespace kelvora::reader
