// Certificates longer than one page: every beneficiary printed, on the page the layout puts
// him, nothing under the table's bottom edge or past the right edge, each page a whole PDF page.
#include "attestation/attestation_layout.h"
#include "attestation/attestation_texts.h"
#include "base/vitale_decode.h"
#include "certificate_support.h"
#include "pdf/images/jpeg_image.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <sstream>

using namespace kelvora;
using namespace kelvora::testing;

namespace
{

const QDateTime kExtracted(QDate(2026, 12, 9), QTime(14, 5, 9));
constexpr double kPageWidth = 596;
constexpr double kPageHeight = 842;
constexpr double kColumnLine = 421; // the beneficiaries' table's line before the birth dates
constexpr double kTableBottom = 82; // the beneficiaries' table's bottom edge on every page
constexpr double kTableRight = 579;
const std::vector<double> kFooterLines = {34, 25.5, 17};

// The first `count` beneficiaries of the fixture family, decoded as a reading does: every
// one of them has an exemption, a rights and a mutual line.
VitaleRecord family(int count)
{
    VitaleDecodeResult decoded =
        decodeVitaleDocument(readFileBytes(QStringLiteral(KELVORA_FIXTURES "/famille-30.xml")));
    if (!decoded.ok()) {
        ADD_FAILURE() << decoded.reason.toStdString();
        return {};
    }
    VitaleRecord record = *decoded.record;
    for (const WalkStep& step : record.walk)
        if (const auto* lookup = std::get_if<DictionaryLookup>(&step))
            applyLabel(record, *lookup, QStringLiteral("Libellé %1").arg(lookup->table));
    record.appli_xml_ext.resize(count);
    record.appli_xml_cnt2 = count;
    return record;
}

// An exemption label of `count` characters. Whole, 160 of them would run to x = 618 on the
// 596-point page, far past the column line at 421: they wrap over two lines.
QString letters(int count)
{
    const QString sentence =
        QStringLiteral("Exonération du Ticket Modérateur - Affection de Longue Durée ");
    QString text = QStringLiteral("- ");
    while (text.size() < count)
        text += sentence;
    text.truncate(count);
    return text;
}

// Every page's content stream, in page order: each begins with the font its page selects.
QList<QByteArray> pageStreams(const QByteArray& pdf)
{
    static const QByteArray start = "stream\r\n/F0 10 Tf\n";
    QList<QByteArray> pages;
    for (qsizetype at = pdf.indexOf(start); at >= 0; at = pdf.indexOf(start, at + 1))
        pages.append(pdf.mid(at + 8, pdf.indexOf("\nendstream", at) - at - 8));
    return pages;
}

struct Drawn {
    std::vector<std::pair<double, double>> texts;  // where each text starts
    std::vector<std::pair<double, double>> points; // every end of every line
};

Drawn drawnOn(const QByteArray& stream)
{
    Drawn d;
    for (const QByteArray& line : stream.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() != 3)
            continue;
        const std::pair<double, double> at{words[0].toDouble(), words[1].toDouble()};
        if (words[2] == "Td")
            d.texts.push_back(at);
        else if (words[2] == "m" || words[2] == "l")
            d.points.push_back(at);
    }
    return d;
}

QString run(const std::string& command)
{
    return QString::fromStdString(runCommand(command).output);
}

struct PagesCase {
    const char* name;
    int beneficiaries;
    std::function<void(VitaleRecord&)> change;
    int pages;
    std::vector<int> pageOf; // page of each beneficiary's row, from 1
    friend void PrintTo(const PagesCase& c, std::ostream* os) { *os << c.name; }
};

class CertificatePages : public ::testing::TestWithParam<PagesCase>
{
};

TEST_P(CertificatePages, PrintEveryBeneficiaryInsideTheTableOnItsPage)
{
    const PagesCase& c = GetParam();
    VitaleRecord record = family(c.beneficiaries);
    if (c.change)
        c.change(record);
    ASSERT_EQ(c.pageOf.size(), std::size_t(c.beneficiaries));

    std::ostringstream out;
    pdf::TJPEGImage logo;
    logo.LoadFromFile(KELVORA_FIXTURES "/logo-300x150.jpg");
    writeAttestation(out, record, logo, kExtracted);
    const QByteArray bytes = QByteArray::fromStdString(out.str());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("attestation.pdf"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const CommandResult check = qpdfCheck(path);
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_TRUE(run("pdfinfo " + quoted(path))
                    .contains(QRegularExpression(QStringLiteral("Pages: +%1\n").arg(c.pages))));

    const QList<QByteArray> streams = pageStreams(bytes);
    ASSERT_EQ(streams.size(), c.pages);
    for (int p = 1; p <= c.pages; ++p) {
        SCOPED_TRACE("page " + std::to_string(p));
        const QString text = run("pdftotext -enc UTF-8 -f " + std::to_string(p) + " -l " +
                                 std::to_string(p) + " " + quoted(path) + " -");
        for (int i = 0; i < c.beneficiaries; ++i) {
            const QString name = beneficiaryName(record.appli_xml_ext[i]);
            EXPECT_EQ(text.contains(name), c.pageOf[std::size_t(i)] == p) << name.toStdString();
        }
        EXPECT_TRUE(text.contains(QStringLiteral("Attestation de droits Régime Obligatoire")));
        EXPECT_TRUE(text.contains(QStringLiteral("né(e) le / rang")));
        EXPECT_TRUE(text.contains(QStringLiteral("gestionnaire.")));
        EXPECT_EQ(text.contains(QStringLiteral("page %1 / %2").arg(p).arg(c.pages)), c.pages > 1);
        EXPECT_EQ(text.contains(QStringLiteral("Assuré social")), p == 1);

        const Drawn drawn = drawnOn(streams[p - 1]);
        for (const auto& [x, y] : drawn.texts) {
            const bool footer =
                std::find(kFooterLines.begin(), kFooterLines.end(), y) != kFooterLines.end();
            EXPECT_TRUE(footer || y > kTableBottom) << "text at " << x << " " << y;
        }
        for (const auto& [x, y] : drawn.points) {
            EXPECT_GE(y, kTableBottom) << "line at " << x << " " << y;
            EXPECT_LE(x, kTableRight) << "line at " << x << " " << y;
        }
    }

    // Where the words end, as poppler measures them: inside the page, and above the table's
    // bottom edge nothing that starts left of the column line at 421 crosses it.
    const QString boxes = run("pdftotext -bbox -enc UTF-8 " + quoted(path) + " -");
    static const QRegularExpression box(
        QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\" "
                       "yMax=\"([0-9.]+)\">([^<]*)<"));
    int words = 0;
    for (const QRegularExpressionMatch& m : box.globalMatch(boxes)) {
        ++words;
        const double left = m.captured(1).toDouble();
        const double right = m.captured(2).toDouble();
        EXPECT_LE(right, kPageWidth);
        const bool aboveBottom = kPageHeight - m.captured(3).toDouble() > kTableBottom;
        if (aboveBottom && left < kColumnLine) {
            EXPECT_LE(right, kColumnLine) << m.captured(4).toStdString();
        }
    }
    EXPECT_GT(words, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Families, CertificatePages,
    ::testing::Values(
        // Three notes a beneficiary: the eleventh row ends 24 points above the bottom edge.
        PagesCase{"eleven", 11, {}, 1, std::vector<int>(11, 1)},
        PagesCase{"twelve", 12, {}, 2, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2}},
        PagesCase{"thirteen", 13, {}, 2, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2}},
        PagesCase{"thirty",
                  30,
                  {},
                  3,
                  [] {
                      std::vector<int> pages(11, 1);
                      pages.insert(pages.end(), 14, 2);
                      pages.insert(pages.end(), 5, 3);
                      return pages;
                  }()},
        PagesCase{"long_exemption_of_the_second",
                  2,
                  [](VitaleRecord& r) { r.appli_xml_ext[1][slot::libelleExo] = letters(160); },
                  1,
                  {1, 1}},
        // Wrapped over four lines, the exemption takes the eleventh block's last line under
        // the edge: the whole block moves.
        PagesCase{"straddling_block",
                  11,
                  [](VitaleRecord& r) { r.appli_xml_ext[10][slot::libelleExo] = letters(400); },
                  2,
                  {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2}},
        // Taller than a whole page: the only block cut, between two of its lines.
        PagesCase{"block_taller_than_a_page",
                  2,
                  [](VitaleRecord& r) { r.appli_xml_ext[1][slot::libelleExo] = letters(12000); },
                  3,
                  {1, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
