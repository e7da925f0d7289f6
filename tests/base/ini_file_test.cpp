// The reader configuration file editor: Windows name matching, and a write that changes one
// value and nothing else, or reports why it could not.
#include "base/ini_file.h"
#include "common/ini_text.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using kelvora::reader::IniFile;

namespace
{

const QString kFixtures = QStringLiteral(KELVORA_FIXTURES "/ini/");

std::string readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll().toStdString();
}

std::string fixture(const char* name)
{
    return readBytes(kFixtures + QLatin1String(name));
}

// The text with its one occurrence of `from` replaced, the expected result of one edit.
std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A working copy of a fixture (or no file at all) in a fresh folder.
class IniCopy
{
public:
    explicit IniCopy(const char* fixtureName)
    {
        path = dir.filePath(QStringLiteral("api_lec.ini"));
        if (fixtureName != nullptr) {
            EXPECT_TRUE(QFile::copy(kFixtures + QLatin1String(fixtureName), path));
            chmod(QFile::encodeName(path).constData(), 0644);
        }
        chmod(QFile::encodeName(dir.path()).constData(), 0755);
    }
    QTemporaryDir dir;
    QString path;
};

struct ReadCase {
    const char* name;
    const char* fixture; // nullptr: no file
    const char* section;
    const char* key;
    std::optional<QString> expected;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class IniRead : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(IniRead, FindsValueLikeWindows)
{
    const ReadCase& c = GetParam();
    const QString path = c.fixture != nullptr ? kFixtures + QLatin1String(c.fixture)
                                              : kFixtures + QStringLiteral("absent.ini");
    const IniFile ini(path);
    EXPECT_EQ(ini.value(QString::fromUtf8(c.section), QString::fromUtf8(c.key)), c.expected);
    EXPECT_EQ(ini.exists(QString::fromUtf8(c.section), QString::fromUtf8(c.key)),
              c.expected.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniRead,
    ::testing::Values(
        ReadCase{"MixedCaseNames", "api_lec.ini", "Lecteur", "Ressource_Vitale",
                 QStringLiteral("SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0")},
        ReadCase{"KeyAfterCommentThatLooksLikeIt", "api_lec.ini", "LECTEUR", "Ressource_CPS",
                 QStringLiteral("Generic EMV Smartcard Reader 0")},
        ReadCase{"Windows1252Value", "api_lec.ini", "lecteur", "libelle",
                 QStringLiteral("Lecteur de l'accueil étage")},
        ReadCase{"KeyOfAnotherSection", "api_lec.ini", "GALSS", "Ressource_CPS", std::nullopt},
        ReadCase{"KeyAbsent", "sans_cle.ini", "Lecteur", "Ressource_Vitale", std::nullopt},
        ReadCase{"SectionAbsent", "sans_lecteur.ini", "Lecteur", "Ressource_Vitale", std::nullopt},
        ReadCase{"LastLineWithoutLineBreak", "sans_lecteur.ini", "galss", "PORT",
                 QStringLiteral("COM1")},
        ReadCase{"CrlfFile", "crlf.ini", "Lecteur", "Ressource_CPS",
                 QStringLiteral("Ancien lecteur 0")},
        ReadCase{"FileAbsent", nullptr, "Lecteur", "Ressource_Vitale", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct WriteCase {
    const char* name;
    const char* fixture; // nullptr: no file
    const char* key;
    const char* value; // UTF-8
    const char* from;  // the expected file is the fixture with `from` replaced by `to`
    const char* to;
    friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

class IniWrite : public ::testing::TestWithParam<WriteCase>
{
};

TEST_P(IniWrite, ChangesOnlyThatValue)
{
    const WriteCase& c = GetParam();
    IniCopy copy(c.fixture);
    IniFile ini(copy.path);
    const QString key = QString::fromUtf8(c.key);
    const QString value = QString::fromUtf8(c.value);

    ASSERT_TRUE(ini.writeString(QStringLiteral("Lecteur"), key, value))
        << ini.errorString().toStdString();

    const std::string before = c.fixture != nullptr ? fixture(c.fixture) : std::string();
    EXPECT_EQ(readBytes(copy.path), replaced(before, c.from, c.to));
    EXPECT_EQ(IniFile(copy.path).value(QStringLiteral("LECTEUR"), key), value);
    struct stat st {
    };
    ASSERT_EQ(stat(QFile::encodeName(copy.path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u) << "the library reads the file as another user";
    EXPECT_EQ(QDir(copy.dir.path()).entryList(QDir::Files), QStringList{"api_lec.ini"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWrite,
    ::testing::Values(
        WriteCase{"MixedCaseKeyKeepsItsSpellingAndSpacing", "api_lec.ini", "Ressource_Vitale",
                  "Generic EMV Smartcard Reader 0",
                  "RESSOURCE_VITALE = SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0\n",
                  "RESSOURCE_VITALE = Generic EMV Smartcard Reader 0\n"},
        WriteCase{"OtherKeyNotTheCommentLookingLikeIt", "api_lec.ini", "Ressource_CPS",
                  "OMNIKEY AG Smart Card Reader USB 0",
                  "ressource_cps=Generic EMV Smartcard Reader 0\n",
                  "ressource_cps=OMNIKEY AG Smart Card Reader USB 0\n"},
        WriteCase{"EmptyValue", "api_lec.ini", "Ressource_Vitale", "",
                  "RESSOURCE_VITALE = SCM Microsystems Inc. SCR35xx v2.0 USB SC Reader 0\n",
                  "RESSOURCE_VITALE = \n"},
        WriteCase{"AccentedValueAsWindows1252", "api_lec.ini", "Libelle", "Salle d'attente é",
                  "Libelle=Lecteur de l'accueil \xe9tage\n", "Libelle=Salle d'attente \xe9\n"},
        WriteCase{"CrlfFileKeepsCrlf", "crlf.ini", "Ressource_Vitale", "Nouveau lecteur 0",
                  "Ressource_Vitale=Ancien lecteur 0\r\n",
                  "Ressource_Vitale=Nouveau lecteur 0\r\n"},
        WriteCase{"KeyAbsentGoesAfterTheSectionsLastKey", "sans_cle.ini", "Ressource_Vitale",
                  "Generic EMV Smartcard Reader 0",
                  "Ressource_CPS=Generic EMV Smartcard Reader 0\n",
                  "Ressource_CPS=Generic EMV Smartcard Reader 0\n"
                  "Ressource_Vitale=Generic EMV Smartcard Reader 0\n"},
        WriteCase{"SectionAbsentGoesAtTheEnd", "sans_lecteur.ini", "Ressource_Vitale",
                  "Generic EMV Smartcard Reader 0", "Port=COM1",
                  "Port=COM1\n[Lecteur]\nRessource_Vitale=Generic EMV Smartcard Reader 0\n"},
        WriteCase{"FileAbsentIsCreated", nullptr, "Ressource_CPS", "Generic EMV Smartcard Reader 0",
                  "", "[Lecteur]\r\nRessource_CPS=Generic EMV Smartcard Reader 0\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniWriteFailure, ValueThatWouldBreakTheLineIsRefused)
{
    IniCopy copy("api_lec.ini");
    IniFile ini(copy.path);
    EXPECT_FALSE(ini.writeString(QStringLiteral("Lecteur"), QStringLiteral("Ressource_Vitale"),
                                 QStringLiteral("Lecteur 0\n[Autre]")));
    EXPECT_TRUE(ini.errorString().contains(copy.path));
    EXPECT_EQ(readBytes(copy.path), fixture("api_lec.ini"));
}

TEST(IniWriteFailure, FolderThatIsAFileIsReported)
{
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath(QStringLiteral("fichier"));
    QFile file(notAFolder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    IniFile ini(notAFolder + QStringLiteral("/api_lec.ini"));
    EXPECT_FALSE(ini.writeString(QStringLiteral("Lecteur"), QStringLiteral("Ressource_CPS"),
                                 QStringLiteral("Generic EMV Smartcard Reader 0")));
    EXPECT_TRUE(ini.errorString().contains(ini.path())) << ini.errorString().toStdString();
}

// The write runs in a child that has given up root's rights, since root writes anywhere.
bool writeWithoutRoot(const QString& path)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        IniFile ini(path);
        const bool ok = ini.writeString(QStringLiteral("Lecteur"), QStringLiteral("Ressource_CPS"),
                                        QStringLiteral("Generic EMV Smartcard Reader 0"));
        _exit(ok ? 0 : (ini.errorString().contains(path) ? 1 : 2));
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << "0: written, 2: error text without the file, 3: setuid";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(IniWriteFailure, ReadOnlyFolderLeavesFileUnchanged)
{
    IniCopy copy("api_lec.ini");
    ASSERT_EQ(chmod(QFile::encodeName(copy.dir.path()).constData(), 0555), 0);
    EXPECT_FALSE(writeWithoutRoot(copy.path));
    chmod(QFile::encodeName(copy.dir.path()).constData(), 0755);
    EXPECT_EQ(readBytes(copy.path), fixture("api_lec.ini"));
    EXPECT_EQ(QDir(copy.dir.path()).entryList(QDir::Files), QStringList{"api_lec.ini"});
}

} // namespace

// Texts found by fuzzing: a header ending in a lone CR, or without its closing bracket, once
// made a write report success while the value could not be read back.
TEST(IniTextStrayCarriageReturn, WrittenValueReadsBack)
{
    for (const char* original : {"\n[Lecteur]\r", "[Lecteur\r", "[Lecteur]\r\r\nA=1\r"}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(original)));
        kelvora::ini::IniText text{std::string(original)};
        ASSERT_TRUE(text.setValue("lecteur", "RESSOURCE_CPS", "Lecteur 0"));
        EXPECT_EQ(text.value("Lecteur", "Ressource_CPS"), std::optional<std::string>("Lecteur 0"));
        EXPECT_EQ(text.bytes().substr(0, std::string(original).size()), original);
    }
}
