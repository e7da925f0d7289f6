// The certificate laid out from any Vitale record. On every input: the PDF is written, nothing
// is drawn off the page (every text origin, line end and image corner of every page's content
// stream lies inside the media box), and every beneficiary's name is placed on some page.
#include "attestation/attestation_layout.h"
#include "attestation/attestation_texts.h"
#include "common/cp1252.h"
#include "fuzz_support.h"
#include "pdf/images/jpeg_image.h"
#include "base/cp1252.h"

#include <QByteArray>
#include <QList>
#include <set>
#include <sstream>

using kelvora::fuzz::fail;

namespace
{

const kelvora::pdf::TJPEGImage& logo()
{
    static const kelvora::pdf::TJPEGImage image = [] {
        kelvora::pdf::TJPEGImage jpeg;
        jpeg.LoadFromFile(KELVORA_FUZZ_LOGO);
        return jpeg;
    }();
    return image;
}

// The input: [count byte][serial]\n then entries split by 0x1E, each made of pieces split by
// 0x1F whose first byte chooses the slot and whose rest is the slot's UTF-8 text.
kelvora::VitaleRecord recordOf(const std::uint8_t* data, std::size_t size)
{
    kelvora::fuzz::InputReader in(data, size);
    kelvora::VitaleRecord record;
    record.appli_xml_cnt2 = static_cast<std::int8_t>(in.byte());
    record.carte_numserie = QString::fromStdString(in.until('\n'));
    while (!in.empty() && record.appli_xml_ext.size() < 64) {
        const bool first = record.appli_xml_ext.isEmpty();
        QStringList entry(first ? kelvora::kFirstEntrySlots : kelvora::kEntrySlots);
        const std::string text = in.until('\x1e');
        kelvora::fuzz::InputReader pieces(reinterpret_cast<const std::uint8_t*>(text.data()),
                                          text.size());
        while (!pieces.empty()) {
            const std::string piece = pieces.until('\x1f');
            if (piece.empty())
                continue;
            const int slot = static_cast<unsigned char>(piece[0]) % entry.size();
            entry[slot] = QString::fromUtf8(piece.data() + 1, qsizetype(piece.size() - 1));
        }
        record.appli_xml_ext.append(entry);
    }
    return record;
}

// The bytes a literal string operand stands for, its escapes undone.
QByteArray literal(const QByteArray& operand)
{
    QByteArray raw;
    for (qsizetype k = 1; k + 1 < operand.size(); ++k) {
        char c = operand[k];
        if (c == '\\' && k + 2 < operand.size()) {
            c = operand[++k];
            switch (c) {
            case 'n': c = '\n'; break;
            case 'r': c = '\r'; break;
            case 't': c = '\t'; break;
            case 'b': c = '\b'; break;
            case 'f': c = '\f'; break;
            default:
                if (c >= '0' && c <= '7') {
                    int value = c - '0';
                    for (int d = 0; d < 2 && k + 2 < operand.size() && operand[k + 1] >= '0' &&
                                    operand[k + 1] <= '7';
                         ++d)
                        value = value * 8 + (operand[++k] - '0');
                    c = static_cast<char>(value);
                }
            }
        }
        raw += c;
    }
    return raw;
}

// A name as the PDF writer encodes it: Windows-1252, and "?" for the five bytes the code page
// leaves undefined, which its fonts cannot show.
QByteArray shown(const QString& text)
{
    QByteArray bytes = kelvora::reader::toCp1252(text);
    for (char& b : bytes)
        if (kelvora::cp1252::isUnassigned(static_cast<unsigned char>(b)))
            b = '?';
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const kelvora::VitaleRecord record = recordOf(data, size);
    std::ostringstream out;
    kelvora::writeAttestation(out, record, logo(),
                              QDateTime(QDate(2026, 12, 9), QTime(14, 5, 9)));
    const QByteArray pdf = QByteArray::fromStdString(out.str());

    const qsizetype box = pdf.indexOf("/MediaBox [");
    if (box < 0)
        fail("no media box");
    const QList<QByteArray> corners =
        pdf.mid(box + 11, pdf.indexOf(']', box) - box - 11).trimmed().split(' ');
    if (corners.size() != 4)
        fail("media box without four numbers");
    const double width = corners[2].toDouble();
    const double height = corners[3].toDouble();
    const auto inside = [&](double x, double y, const QByteArray& line) {
        if (!(x >= 0 && x <= width && y >= 0 && y <= height))
            fail("drawn off the page: " + line.toStdString());
    };

    std::set<QByteArray> placed;
    int pages = 0;
    static const QByteArray start = "stream\r\n/F0 10 Tf\n";
    for (qsizetype at = pdf.indexOf(start); at >= 0; at = pdf.indexOf(start, at + 1)) {
        ++pages;
        const QByteArray stream = pdf.mid(at + 8, pdf.indexOf("\nendstream", at) - at - 8);
        for (const QByteArray& line : stream.split('\n')) {
            if (line.endsWith(") Tj")) {
                placed.insert(literal(line.left(line.size() - 3).trimmed()));
                continue;
            }
            const QList<QByteArray> w = line.split(' ');
            if (w.size() == 3 && (w[2] == "Td" || w[2] == "m" || w[2] == "l"))
                inside(w[0].toDouble(), w[1].toDouble(), line);
            if (w.size() == 7 && w[6] == "cm") {
                const double x = w[4].toDouble(), y = w[5].toDouble();
                inside(x, y, line);
                inside(x + w[0].toDouble(), y + w[3].toDouble(), line);
            }
        }
    }
    if (pages == 0)
        fail("no page content stream");

    const qsizetype count = std::min<qsizetype>(record.appli_xml_ext.size(),
                                                std::max(record.appli_xml_cnt2, 1));
    for (qsizetype i = 0; i < count; ++i) {
        const QString name = kelvora::beneficiaryName(record.appli_xml_ext[i]);
        if (placed.count(shown(name)) == 0)
            fail("beneficiary " + std::to_string(i) + " missing: " + name.toStdString());
    }
    return 0;
}
