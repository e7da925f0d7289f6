#include "base/rtf_writer.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

using kelvora::RtfRun;
using kelvora::writeRtf;

constexpr quint32 kBlack = 0;
constexpr quint32 kRed = 255;
constexpr quint32 kGreen = 32768;
constexpr quint32 kBlue = 16711680;

// The document text after the fixed head, without the closing brace.
QByteArray body(const QList<RtfRun>& runs)
{
    const QByteArray rtf = writeRtf(runs, QStringLiteral("Tahoma"), 8);
    const QByteArray head = "\\uc1\\pard\\plain\\f0\\fs16 ";
    const qsizetype start = rtf.indexOf(head);
    if (start < 0 || !rtf.endsWith("}\r\n"))
        return "malformed: " + rtf;
    return rtf.mid(start + head.size(), rtf.size() - start - head.size() - 3);
}

struct BodyCase {
    const char* name;
    QList<RtfRun> runs;
    QByteArray expected;
    friend void PrintTo(const BodyCase& c, std::ostream* os) { *os << c.name; }
};

class RtfBodyTest : public ::testing::TestWithParam<BodyCase>
{
};

TEST_P(RtfBodyTest, WritesTheExpectedBytes)
{
    EXPECT_EQ(body(GetParam().runs), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rtf, RtfBodyTest,
    ::testing::Values(BodyCase{"PlainText", {{"Bonjour", 0, kBlack}}, "\\cf1 Bonjour"},
                      BodyCase{"EscapesSpecials", {{"a\\b{c}", 0, kBlack}}, "\\cf1 a\\\\b\\{c\\}"},
                      BodyCase{"LineEnds",
                               {{"L1\r\nL2\nL3\rL4\r\n", 0, kBlack}},
                               "\\cf1 L1\\par\r\nL2\\par\r\nL3\\par\r\nL4\\par\r\n"},
                      BodyCase{"TabAndLineSeparator",
                               {{QString::fromUtf8("a\tb\u2028c"), 0, kBlack}},
                               "\\cf1 a\\tab b\\line c"},
                      BodyCase{"AccentsAsCp1252",
                               {{QString::fromUtf8("Contrôle éàç œ € «»"), 0, kBlack}},
                               "\\cf1 Contr\\'f4le \\'e9\\'e0\\'e7 \\'9c \\'80 \\'ab\\'bb"},
                      BodyCase{"OtherCharactersAsSignedUnicode",
                               {{QString::fromUtf8("Ω中\uFFFD😀"), 0, kBlack}},
                               "\\cf1 \\u937?\\u20013?\\u-3?\\u-10179?\\u-8704?"},
                      // The code page's unassigned bytes stand for these controls, both ways.
                      BodyCase{"UnassignedBytesAsTheirControls",
                               {{QStringLiteral("\u0081\u008D\u008F\u0090\u009Dx"), 0, kBlack}},
                               "\\cf1 \\'81\\'8d\\'8f\\'90\\'9dx"},
                      // Below the space, the table is not asked: NUL used to find an empty
                      // table cell and come out as \'81.
                      BodyCase{"ControlCharactersAsUnicode",
                               {{QString(QChar(1)) + QChar(0) + QChar(0x7F), 0, kBlack}},
                               "\\cf1 \\u1?\\u0?\\u127?"},
                      BodyCase{"BoldRedThenPlainBlack",
                               {{"A", 1, kRed}, {"B", 0, kBlack}},
                               "\\b\\cf1 A\\b0\\cf2 B"},
                      BodyCase{"SameFormatWritesNothingBetweenRuns",
                               {{"x", 5, kBlack}, {"y", 5, kBlack}},
                               "\\b\\ul\\cf1 xy"},
                      BodyCase{"EveryStyleOnThenOff",
                               {{"a", 15, kBlue}, {"b", 0, kBlue}},
                               "\\b\\i\\ul\\strike\\cf1 a\\b0\\i0\\ulnone\\strike0 b"},
                      BodyCase{"LeadingSpaceSurvivesTheDelimiter",
                               {{"a", 1, kBlack}, {" b", 0, kBlack}},
                               "\\b\\cf1 a\\b0  b"},
                      BodyCase{"StyleCarriesAcrossParagraphs",
                               {{"T\r\n", 5, kBlue}, {"U", 5, kBlue}},
                               "\\b\\ul\\cf1 T\\par\r\nU"},
                      BodyCase{"EmptyRunIsSkipped", {{"", 1, kRed}, {"x", 0, kBlack}}, "\\cf1 x"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Rtf, ColourTableHoldsUsedColoursInOrderOfFirstUse)
{
    const QByteArray rtf = writeRtf({{"r", 0, kRed},
                                     {"g", 0, kGreen},
                                     {"r", 0, kRed},
                                     {"b", 0, kBlue},
                                     {"k", 0, kBlack},
                                     {"", 0, 0x123456}},
                                    QStringLiteral("Tahoma"), 8);

    EXPECT_EQ(rtf, "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1036"
                   "{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}\r\n"
                   "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue0;"
                   "\\red0\\green0\\blue255;\\red0\\green0\\blue0;}\r\n"
                   "\\uc1\\pard\\plain\\f0\\fs16 \\cf1 r\\cf2 g\\cf1 r\\cf3 b\\cf4 k}\r\n");
}

TEST(Rtf, EmptyLogIsAValidDocumentWithoutColourTable)
{
    EXPECT_EQ(writeRtf({}, QStringLiteral("Tahoma"), 8),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1036"
              "{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}\r\n"
              "\\uc1\\pard\\plain\\f0\\fs16 }\r\n");
}

// An independent reader (Debian's unrtf) sees the styles, colours and accents of a saved log.
TEST(Rtf, UnrtfReadsStylesColoursAndAccents)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("diag-Kelvora.rtf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(writeRtf({{QStringLiteral("Rapport système\r\n"), 5, kBlue},
                         {QStringLiteral("Contrôle des fichiers : "), 0, kBlack},
                         {QString::fromUtf8("manquant Ω\r\n"), 1, kRed},
                         {QStringLiteral("présent\r\n"), 1, kGreen}},
                        QStringLiteral("Tahoma"), 8));
    file.close();

    QProcess unrtf;
    unrtf.start(QStringLiteral("unrtf"), {QStringLiteral("--html"), path});
    ASSERT_TRUE(unrtf.waitForFinished(30000));
    ASSERT_EQ(unrtf.exitCode(), 0) << unrtf.readAllStandardError().toStdString();
    const QString html = QString::fromUtf8(unrtf.readAllStandardOutput());

    // Each piece keeps its own format: the heading bold, underlined and blue, the label plain
    // black, the verdicts bold in red and green; accents and \uN come back as letters.
    for (const char* piece :
         {"<b><u><font color=\"#0000ff\">Rapport syst&egrave;me",
          "<font color=\"#000000\">Contr&ocirc;le des fichiers : ",
          "<b><font color=\"#ff0000\">manquant &Omega;", "<font color=\"#008000\">pr&eacute;sent"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(piece))) << piece << "\n" << html.toStdString();
}

} // namespace
