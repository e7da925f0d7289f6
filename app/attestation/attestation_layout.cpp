#include "attestation/attestation_layout.h"

#include "attestation/attestation_texts.h"
#include "carddata/vitale_decode.h"
#include "pdf/canvas/pdf_canvas.h"
#include "pdf/document/pdf_doc.h"
#include "pdf/images/pdf_image_creator.h"

#include <initializer_list>
#include <ostream>
#include <string_view>

namespace kelvora
{

namespace
{

using Extended = long double;

constexpr std::u16string_view kLogo = u"logo_sante";
constexpr int kExoPiece = 150; // characters of a split exemption line per printed line
constexpr Extended kNoteStep = 8;

std::u16string_view u16(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// The page being drawn: margin, line step and running baseline as the layout moves down.
class Page
{
public:
    explicit Page(pdf::TPdfCanvas& canvas) : c(canvas) {}

    pdf::TPdfCanvas& c;
    Extended begin = 17; // left margin
    Extended br = 17;    // line step
    Extended more = 0;   // running baseline
    Extended size2 = 0;  // width of the two framed tables

    void text(Extended x, Extended y, const QString& s)
    {
        c.TextOut(static_cast<float>(x), static_cast<float>(y), u16(s));
    }
    void line(Extended x1, Extended y1, Extended x2, Extended y2)
    {
        c.MoveTo(static_cast<float>(x1), static_cast<float>(y1));
        c.LineTo(static_cast<float>(x2), static_cast<float>(y2));
        c.Stroke();
    }

    // Top and bottom edges, a grey band of 26 one-point lines under the top, a black rule
    // under the band, then the verticals from the left edge to the right one.
    void frame(Extended top, Extended height, std::initializer_list<Extended> inner)
    {
        const Extended m = begin;
        line(m, top, m + size2, top);
        line(m, top - height, m + size2, top - height);
        c.SetRGBStrokeColor(0xE3E3E3);
        float pos = static_cast<float>(top);
        for (int i = 0; i < 26; ++i) {
            pos -= 1;
            line(m + 1, pos, m + size2 - 1, pos);
        }
        c.SetRGBStrokeColor(0);
        line(m + 1, pos - 1, m + size2 - 1, pos - 1);
        line(m, top, m, top - height);
        for (const Extended x : inner)
            line(x, top, x, top - height);
        line(m + size2, top, m + size2, top - height);
    }

    void row(const QStringList& entry)
    {
        const Extended y = more - 42;
        text(begin + 3, y, beneficiaryName(entry));
        text(begin + 294, y, formatNir(slotText(entry, slot::nir)));
        text(begin + 415, y, cardDate(slotText(entry, slot::naissance)));
        text(begin + 490, y, slotText(entry, slot::rangDeNaissance));
    }

    void note(Extended x, const QString& s)
    {
        more -= kNoteStep;
        text(x, more - 42, s);
    }

    // The exemption, rights, mutual and CMU lines; the first entry's exemption line is cut
    // into pieces of 150 characters, the first piece indented like every note.
    void notes(const QStringList& entry, bool splitExemption)
    {
        const Extended indented = begin + 13;
        for (const int s : {slot::libelleExo, slot::droits, slot::mutuelle, slot::cmu}) {
            const QString value = slotText(entry, s);
            if (value.isEmpty())
                continue;
            if (s != slot::libelleExo || !splitExemption || value.size() <= kExoPiece) {
                note(indented, value);
                continue;
            }
            more -= kNoteStep;
            qsizetype left = value.size();
            qsizetype done = 0;
            do {
                note(done == 0 ? indented : begin + 3, value.mid(done, kExoPiece));
                done += kExoPiece;
                left -= kExoPiece;
            } while (left >= kExoPiece);
            if (left > 0)
                note(begin + 3, value.mid(done));
        }
    }
};

pdf::TPdfDateTime pdfDate(const QDateTime& at)
{
    const QDate d = at.date();
    const QTime t = at.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

} // namespace

void writeAttestation(std::ostream& out, const VitaleRecord& record, const pdf::TGraphic& logo,
                      const QDateTime& extractedAt)
{
    const qsizetype count =
        std::min<qsizetype>(record.appli_xml_ext.size(), std::max(record.appli_xml_cnt2, 1));
    const QStringList first =
        record.appli_xml_ext.isEmpty() ? QStringList() : record.appli_xml_ext.first();

    pdf::TPdfDoc doc;
    doc.SetClock([date = pdfDate(extractedAt)] { return date; });
    doc.NewDoc();
    doc.AddPage(); // selects Arial 10: Arial becomes the document's font F0
    doc.AddXObject(kLogo, pdf::CreatePdfImage(logo, u"Pdf-Jpeg"));

    Page p(doc.Canvas());
    pdf::TPdfCanvas& c = p.c;
    const Extended percent = Extended(5000) / logo.Height();
    const Extended h = 50;
    const Extended w = logo.Width() * percent / 100;
    const Extended size1 = c.PageHeight() - h - 15;
    const Extended m = p.begin;
    const Extended s = p.br;
    const Extended valueX = m + 110;

    c.DrawXObject(15, static_cast<float>(size1), static_cast<float>(w), static_cast<float>(h),
                  kLogo);

    p.more = size1 - s;
    c.SetFont(u"Arial", 10);
    p.text(m + 40.5L, p.more, QStringLiteral("Assuré social : "));
    p.text(valueX, p.more, beneficiaryName(first));
    p.more -= s;
    p.text(m, p.more, QStringLiteral("N° de Sécurité Sociale : "));
    p.text(valueX, p.more, formatNir(slotText(first, slot::nir)));
    p.more -= s;
    p.text(m + 66, p.more, QStringLiteral("Régime : "));
    p.text(valueX, p.more, slotText(first, slot::libelleRegime));
    p.more -= s;
    p.text(m + 70, p.more, QStringLiteral("Caisse : "));
    p.text(valueX, p.more, slotText(first, slot::libelleCaisse));

    p.more -= 2 * s;
    c.SetFont(u"Arial-Bold", 20);
    p.text(m, p.more, QStringLiteral("Attestation de droits Régime Obligatoire"));

    // The organisation table.
    p.more -= 2 * s;
    p.size2 = c.PageWidth() - 2 * m;
    c.SetLineWidth(1);
    const Extended top = p.more;
    p.frame(top, 52, {m + 207, m + 284, m + 404});
    c.SetFont(u"Arial", 10);
    p.text(m + 3, top - 15, QStringLiteral("organisme de rattachement sécurité sociale"));
    p.text(m + 217, top - 15, QStringLiteral("code gestion"));
    p.text(m + 295, top - 12, QStringLiteral("n° de sécurité sociale"));
    p.text(m + 295, top - s - 5, QStringLiteral("de l'assuré"));
    p.text(m + 3, top - 42, organisationText(first));
    p.text(m + 217, top - 42, slotText(first, slot::codeGestion));
    p.text(m + 294, top - 42, formatNir(slotText(first, slot::nir)));
    p.text(m + 415, top - 42, QStringLiteral(" "));

    // The beneficiaries table: one row per entry, its notes below it. Nothing stops at the
    // table's bottom edge: the page is never cut.
    p.more = top - s - 42;
    p.size2 = c.PageWidth() - 2 * m;
    c.SetLineWidth(1);
    const Extended top2 = p.more;
    p.frame(top2, 500, {m + 404});
    c.SetFont(u"Arial", 10);
    p.text(m + 3, top2 - 15, QStringLiteral("Bénéficiaire(s)"));
    p.text(m + 235, top2 - 15, QStringLiteral("n° de sécurité sociale du bénéficiaire"));
    p.text(m + 415, top2 - 15, QStringLiteral("né(e) le / rang"));
    p.row(first);
    c.SetFont(u"Arial-Italic", 8);
    p.notes(first, true);
    c.SetFont(u"Arial", 10);
    for (qsizetype i = 1; i < count; ++i) {
        const QStringList& entry = record.appli_xml_ext[i];
        p.more -= s;
        p.row(entry);
        c.SetFont(u"Arial-Italic", 8);
        p.notes(entry, false);
        c.SetFont(u"Arial", 10);
    }

    // The footer, k line steps above the bottom edge whatever the page height.
    const Extended ph = c.PageHeight();
    c.SetFont(u"Arial", 8);
    p.text(15, ph - (ph - 2 * s),
           QStringLiteral("Conformément à la loi Informatique et Libertés, vous pouvez demander la "
                          "rectification des informations vous concernant auprès de votre "
                          "organisme"));
    p.text(15, ph - (ph - 1.5L * s), QStringLiteral("gestionnaire."));
    c.SetFont(u"Arial-Italic", 6);
    p.text(15, ph - (ph - s), extractionLine(extractedAt, record.carte_numserie));

    doc.SaveToStream(out);
}

} // namespace kelvora
