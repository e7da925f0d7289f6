// A fresh stand-in card-reader library, loaded through the real binding from the folder of
// the executables, with its scenario and call log in a temporary data folder.
#pragma once

#include "platform/linux_platform.h"
#include "binding/apilec_library.h"
#include "apilec/apilec_codes.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace kelvora::testing
{

// The real loader: these tests bind the stand-in library as the program does.
inline Platform& systemPlatform()
{
    static LinuxPlatform platform;
    return platform;
}

} // namespace kelvora::testing

namespace kelvora::reader::testing
{

inline constexpr std::string_view kReaderA = "SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0";
inline constexpr std::string_view kReaderB = "Generic EMV Smartcard Reader 0";

// One reader, both cards, PIN 1234, a card document and one dictionary label (Windows-1252).
inline std::string defaultScenario()
{
    return "; scenario de test\r\n[Lecteurs]\r\nListe=" + std::string(kReaderA) +
           "\r\n[CPS]\r\nInseree=1\r\nPIN=1234\r\n[Vitale]\r\nInseree=1\r\n"
           "Document=carte.xml\r\n[Dictionnaire]\r\n1.01=R\xe9gime g\xe9n\xe9ral\r\n";
}

struct Result {
    std::optional<std::uint16_t> result;
    std::uint16_t detail;
    friend bool operator==(const Result&, const Result&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Result& r)
    {
        return os << (r.result ? std::to_string(*r.result) : "missing") << "," << r.detail;
    }
};

inline Result ok()
{
    return {0, 0};
}
inline Result failed(std::uint16_t result, std::uint16_t detail)
{
    return {result, detail};
}

class StandIn : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(lib.load(kelvora::testing::systemPlatform(), QStringLiteral(KELVORA_BIN_DIR))) << lib.errorString().toStdString();
        ASSERT_TRUE(lib.complete()) << lib.missing().toStdString();
        folder = QFile::encodeName(dir.path() + QStringLiteral("/"));
    }

    void writeFile(const char* name, std::string_view bytes)
    {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes.data(), qint64(bytes.size()));
    }
    void scenario(std::string_view text) { writeFile("api_lec_sim.ini", text); }

    std::string callLog() const
    {
        QFile file(dir.filePath(QStringLiteral("api_lec_sim.log")));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    Result init(std::string_view reader)
    {
        std::uint16_t error = 0xFFFF;
        const std::string name(reader);
        const auto r = lib.initLecteurs(folder.constData(), name.c_str(), "", &error);
        return {r, error};
    }

    Result openSession(bool cps, std::uint16_t& session)
    {
        static const char16_t attest[] = u"attest";
        const char16_t* cell = attest;
        std::uint16_t error = 0xFFFF;
        const auto r =
            cps ? lib.ouvertureSessionCPS(folder.constData(), &cell, &session, &error)
                : lib.ouvertureSessionVitale(folder.constData(), &cell, &session, &error);
        return {r, error};
    }

    // Initialises with the first reader and opens both sessions, as a reading run does.
    void openBoth()
    {
        ASSERT_EQ(init(kReaderA), ok());
        ASSERT_EQ(openSession(true, cps), ok());
        ASSERT_EQ(openSession(false, vitale), ok());
    }

    Result controle(const char* pin)
    {
        TChar8 date{};
        TChar10 appli{};
        TChar2 type{}, present{}, categorie{};
        std::uint16_t error = 0xFFFF;
        const auto r = lib.controleCPS(cps, pin, date, appli, type, present, categorie, &error);
        return {r, error};
    }

    QTemporaryDir dir;
    ApiLecLibrary lib;
    QByteArray folder;
    std::uint16_t cps = 0;
    std::uint16_t vitale = 0;
};

} // namespace kelvora::reader::testing
