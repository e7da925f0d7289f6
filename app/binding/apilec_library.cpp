#include "binding/apilec_library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace kelvora::reader
{

namespace
{

constexpr std::array<const char*, kLecFunctionCount> kNames{
    "Lec_ListeLecteurs",       "Lec_InitLecteurs",           "Lec_OuvertureSessionVitale",
    "Lec_OuvertureSessionCPS", "Lec_IntroductionMstVitale",  "Lec_IntroductionMstCPS",
    "Lec_ControleCPS",         "Lec_LectureVitale",          "Lec_RetraitMhtVitale",
    "Lec_RetraitMhtCPS",       "Lec_FermetureSessionVitale", "Lec_FermetureSessionCPS",
    "Lec_Dictionnaire",
};

std::size_t indexOf(LecFunction function)
{
    return static_cast<std::size_t>(function);
}

} // namespace

const char* lecFunctionName(LecFunction function)
{
    return kNames[indexOf(function)];
}

bool ApiLecLibrary::load(Platform& platform, const QString& folder)
{
    const QString local = QDir(folder).filePath(QString::fromLatin1(kApiLecFileName));
    if (!folder.isEmpty() && QFileInfo::exists(local))
        return loadFile(platform, local);
    return loadFile(platform, QString::fromLatin1(kApiLecFileName));
}

bool ApiLecLibrary::loadFile(Platform& platform, const QString& path)
{
    unload();
    error_.clear();
    library_ = platform.loadLibrary(path, error_);
    if (library_ == nullptr)
        return false;
    path_ = path;
    for (std::size_t i = 0; i < kLecFunctionCount; ++i)
        functions_[i] = library_->symbol(kNames[i]);
    return true;
}

void ApiLecLibrary::unload()
{
    functions_.fill(nullptr);
    library_.reset();
    path_.clear();
}

QString ApiLecLibrary::missing() const
{
    if (!loaded())
        return QString::fromLatin1(kApiLecFileName);
    QStringList absent;
    for (std::size_t i = 0; i < kLecFunctionCount; ++i) {
        if (functions_[i] == nullptr)
            absent.append(QString::fromLatin1(kNames[i]));
    }
    return absent.join(QStringLiteral(", "));
}

QString ApiLecLibrary::missing(LecFunction function) const
{
    if (!loaded())
        return QString::fromLatin1(kApiLecFileName);
    if (functions_[indexOf(function)] == nullptr)
        return QString::fromLatin1(lecFunctionName(function));
    return {};
}

template <typename Fn, typename... Args>
std::optional<std::uint16_t> ApiLecLibrary::call(LecFunction function, Args... args) const
{
    void* symbol = functions_[indexOf(function)];
    if (symbol == nullptr)
        return std::nullopt;
    return reinterpret_cast<Fn>(symbol)(args...);
}

std::optional<std::uint16_t> ApiLecLibrary::listeLecteurs(const char* folder, PinfosLecteur list,
                                                          std::int32_t* count,
                                                          std::uint16_t* error) const
{
    return call<Lec_ListeLecteurs_t>(LecFunction::ListeLecteurs, folder, list, count, error);
}

std::optional<std::uint16_t> ApiLecLibrary::initLecteurs(const char* folder,
                                                         const char* vitaleReader,
                                                         const char* cpsReader,
                                                         std::uint16_t* error) const
{
    return call<Lec_InitLecteurs_t>(LecFunction::InitLecteurs, folder, vitaleReader, cpsReader,
                                    error);
}

std::optional<std::uint16_t>
ApiLecLibrary::ouvertureSessionVitale(const char* folder, const char16_t* const* application,
                                      std::uint16_t* session, std::uint16_t* error) const
{
    return call<Lec_OuvertureSessionVitale_t>(LecFunction::OuvertureSessionVitale, folder,
                                              application, session, error);
}

std::optional<std::uint16_t> ApiLecLibrary::ouvertureSessionCPS(const char* folder,
                                                                const char16_t* const* application,
                                                                std::uint16_t* session,
                                                                std::uint16_t* error) const
{
    return call<Lec_OuvertureSessionCPS_t>(LecFunction::OuvertureSessionCPS, folder, application,
                                           session, error);
}

std::optional<std::uint16_t> ApiLecLibrary::introductionMstVitale(std::uint16_t session,
                                                                  std::uint16_t word,
                                                                  std::uint16_t* cardState,
                                                                  std::uint16_t* error) const
{
    return call<Lec_IntroductionMstVitale_t>(LecFunction::IntroductionMstVitale, session, word,
                                             cardState, error);
}

std::optional<std::uint16_t> ApiLecLibrary::introductionMstCPS(std::uint16_t session,
                                                               std::uint16_t word, TChar2& civilite,
                                                               TChar27& nom, std::uint16_t* word2,
                                                               std::uint16_t* error) const
{
    return call<Lec_IntroductionMstCPS_t>(LecFunction::IntroductionMstCPS, session, word,
                                          civilite.data(), nom.data(), word2, error);
}

std::optional<std::uint16_t> ApiLecLibrary::controleCPS(std::uint16_t session, const char* pin,
                                                        TChar8& date, TChar10& appli,
                                                        TChar2& typeCarte, TChar2& presentPin,
                                                        TChar2& categorie,
                                                        std::uint16_t* error) const
{
    return call<Lec_ControleCPS_t>(LecFunction::ControleCPS, session, pin, date.data(),
                                   appli.data(), typeCarte.data(), presentPin.data(),
                                   categorie.data(), error);
}

std::optional<std::uint16_t> ApiLecLibrary::lectureVitale(std::uint16_t vitaleSession,
                                                          std::uint16_t cpsSession, char* buffer,
                                                          std::uint32_t* size,
                                                          std::uint16_t* error) const
{
    return call<Lec_LectureVitale_t>(LecFunction::LectureVitale, vitaleSession, cpsSession, buffer,
                                     size, error);
}

std::optional<std::uint16_t> ApiLecLibrary::retraitMhtVitale(std::uint16_t session,
                                                             std::uint32_t word,
                                                             std::uint16_t* error) const
{
    return call<Lec_RetraitMhtVitale_t>(LecFunction::RetraitMhtVitale, session, word, error);
}

std::optional<std::uint16_t> ApiLecLibrary::retraitMhtCPS(std::uint16_t session, std::uint16_t word,
                                                          std::uint16_t* error) const
{
    return call<Lec_RetraitMhtCPS_t>(LecFunction::RetraitMhtCPS, session, word, error);
}

std::optional<std::uint16_t> ApiLecLibrary::fermetureSessionVitale(std::uint16_t session,
                                                                   std::uint16_t* error) const
{
    return call<Lec_FermetureSessionVitale_t>(LecFunction::FermetureSessionVitale, session, error);
}

std::optional<std::uint16_t> ApiLecLibrary::fermetureSessionCPS(std::uint16_t session,
                                                                std::uint16_t* error) const
{
    return call<Lec_FermetureSessionCPS_t>(LecFunction::FermetureSessionCPS, session, error);
}

std::optional<std::uint16_t> ApiLecLibrary::dictionnaire(const char* folder, std::int16_t table,
                                                         const char* code, const char* version,
                                                         char* label, std::uint16_t* capacity,
                                                         std::uint16_t* error) const
{
    return call<Lec_Dictionnaire_t>(LecFunction::Dictionnaire, folder, table, code, version, label,
                                    capacity, error);
}

} // namespace kelvora::reader
