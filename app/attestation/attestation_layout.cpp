#include "attestation/attestation_layout.h"

#include "attestation/attestation_texts.h"
#include "base/vitale_decode.h"
#include "pdf/canvas/pdf_canvas.h"
#include "pdf/document/pdf_doc.h"
#include "pdf/images/pdf_image_creator.h"

#include <algorithm>
#include <initializer_list>
#include <ostream>
#include <string_view>
#include <vector>

namespace kelvora
{

namespace
{

using Extended = long double;

constexpr std::u16string_view kLogo = u"logo_sante";
// The beneficiaries' table's column line, from the left margin, and the room a note keeps
// before it.
constexpr Extended kColumnLine = 404;
constexpr Extended kColumnGap = 4;
constexpr Extended kNoteIndent = 13;
constexpr Extended kNoteStep = 8;
constexpr Extended kTableHeight = 500; // the beneficiaries' table on the first page
// Room kept under a baseline inside the table: Arial 10 descends 2.1 points below it.
constexpr Extended kDescent = 3;

std::u16string_view u16(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// The exemption, rights, mutual and CMU lines of an entry, each 8 points under the previous
// one at x 30. A note wider than the room left of the column line at 421 (less 4 points) goes
// on over further lines, cut at spaces.
QStringList noteLines(const QStringList& entry)
{
    const double room = static_cast<double>(kColumnLine - kColumnGap - kNoteIndent);
    QStringList lines;
    for (const int s : {slot::libelleExo, slot::droits, slot::mutuelle, slot::cmu}) {
        const QString value = slotText(entry, s);
        if (!value.isEmpty())
            lines.append(wrapNote(value, room));
    }
    return lines;
}

pdf::TPdfDateTime pdfDate(const QDateTime& at)
{
    const QDate d = at.date();
    const QTime t = at.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

// The certificate being drawn: margin, line step and running baseline as the layout moves
// down, page after page. With `drawing` off the beneficiaries are only laid out, to count
// the pages before any footer says "page n / N".
class Certificate
{
public:
    Certificate(pdf::TPdfDoc& doc, const VitaleRecord& record, const pdf::TGraphic& logo,
                const QDateTime& extractedAt)
        : doc(doc), c(doc.Canvas()), record(record), extractedAt(extractedAt)
    {
        const Extended percent = Extended(5000) / logo.Height();
        w = logo.Width() * percent / 100;
        size1 = c.PageHeight() - h - 15;
        const qsizetype count =
            std::min<qsizetype>(record.appli_xml_ext.size(), std::max(record.appli_xml_cnt2, 1));
        for (qsizetype i = 0; i < count; ++i)
            entries.push_back(&record.appli_xml_ext[i]);
        if (entries.empty())
            entries.push_back(&noEntry);
    }

    void write()
    {
        firstPage();
        const Extended top2 = more;
        drawing = false;
        beneficiaries();
        pages = page;
        page = 1;
        more = top2;
        drawing = true;
        beneficiaries();
        footer();
    }

private:
    pdf::TPdfDoc& doc;
    pdf::TPdfCanvas& c;
    const VitaleRecord& record;
    const QDateTime& extractedAt;
    const QStringList noEntry;
    std::vector<const QStringList*> entries;

    const Extended begin = 17; // left margin
    const Extended br = 17;    // line step
    const Extended h = 50;     // logo height
    Extended w = 0;            // logo width
    Extended size1 = 0;        // y of the logo's lower edge
    Extended more = 0;         // running baseline
    Extended size2 = 0;        // width of the framed tables
    Extended tableBottom = 0;  // bottom edge of the beneficiaries' table, on every page
    int page = 1;
    int pages = 1;
    bool drawing = true;

    void text(Extended x, Extended y, const QString& s)
    {
        if (drawing)
            c.TextOut(static_cast<float>(x), static_cast<float>(y), u16(s));
    }
    void font(std::u16string_view name, float size)
    {
        if (drawing)
            c.SetFont(name, size);
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

    void logo()
    {
        c.DrawXObject(15, static_cast<float>(size1), static_cast<float>(w), static_cast<float>(h),
                      kLogo);
    }
    void title(Extended y)
    {
        c.SetFont(u"Arial-Bold", 20);
        text(begin, y, QStringLiteral("Attestation de droits Régime Obligatoire"));
    }

    // The beneficiaries' table from its top edge at the running baseline down to the
    // common bottom edge, with its column heads.
    void beneficiariesTable()
    {
        const Extended m = begin;
        size2 = c.PageWidth() - 2 * m;
        c.SetLineWidth(1);
        const Extended top2 = more;
        frame(top2, top2 - tableBottom, {m + kColumnLine});
        c.SetFont(u"Arial", 10);
        text(m + 3, top2 - 15, QStringLiteral("Bénéficiaire(s)"));
        text(m + 235, top2 - 15, QStringLiteral("n° de sécurité sociale du bénéficiaire"));
        text(m + 415, top2 - 15, QStringLiteral("né(e) le / rang"));
    }

    // The insured person, the scheme, the title and the organisation table, then the head
    // of the beneficiaries' table.
    void firstPage()
    {
        const QStringList& first = *entries.front();
        const Extended m = begin;
        const Extended s = br;
        const Extended valueX = m + 110;
        logo();

        more = size1 - s;
        c.SetFont(u"Arial", 10);
        text(m + 40.5L, more, QStringLiteral("Assuré social : "));
        text(valueX, more, beneficiaryName(first));
        more -= s;
        text(m, more, QStringLiteral("N° de Sécurité Sociale : "));
        text(valueX, more, formatNir(slotText(first, slot::nir)));
        more -= s;
        text(m + 66, more, QStringLiteral("Régime : "));
        text(valueX, more, slotText(first, slot::libelleRegime));
        more -= s;
        text(m + 70, more, QStringLiteral("Caisse : "));
        text(valueX, more, slotText(first, slot::libelleCaisse));

        more -= 2 * s;
        title(more);

        // The organisation table.
        more -= 2 * s;
        size2 = c.PageWidth() - 2 * m;
        c.SetLineWidth(1);
        const Extended top = more;
        frame(top, 52, {m + 207, m + 284, m + 404});
        c.SetFont(u"Arial", 10);
        text(m + 3, top - 15, QStringLiteral("organisme de rattachement sécurité sociale"));
        text(m + 217, top - 15, QStringLiteral("code gestion"));
        text(m + 295, top - 12, QStringLiteral("n° de sécurité sociale"));
        text(m + 295, top - s - 5, QStringLiteral("de l'assuré"));
        text(m + 3, top - 42, organisationText(first));
        text(m + 217, top - 42, slotText(first, slot::codeGestion));
        text(m + 294, top - 42, formatNir(slotText(first, slot::nir)));
        text(m + 415, top - 42, QStringLiteral(" "));

        more = top - s - 42;
        tableBottom = more - kTableHeight;
        beneficiariesTable();
    }

    // A further page: the logo, the title two line steps under it, and the beneficiaries'
    // table two line steps lower, down to the same bottom edge as on the first page.
    Extended continuationTop() const { return size1 - 4 * br; }

    void nextPage()
    {
        if (drawing) {
            footer();
            doc.AddPage();
            logo();
            title(size1 - 2 * br);
        }
        ++page;
        more = continuationTop();
        if (drawing)
            beneficiariesTable();
    }

    // Whether a line whose baseline is `baseline` stays inside the beneficiaries' table.
    bool fits(Extended baseline) const { return baseline - kDescent >= tableBottom; }

    void row(const QStringList& entry)
    {
        const Extended y = more - 42;
        text(begin + 3, y, beneficiaryName(entry));
        text(begin + 294, y, formatNir(slotText(entry, slot::nir)));
        text(begin + 415, y, cardDate(slotText(entry, slot::naissance)));
        text(begin + 490, y, slotText(entry, slot::rangDeNaissance));
    }

    // One block per entry: its row, then its notes. A block that would cross the table's
    // bottom edge starts the next page; only a block taller than a whole page is cut, between
    // two of its lines.
    void beneficiaries()
    {
        bool firstOnPage = true;
        for (const QStringList* entry : entries) {
            const QStringList notes = noteLines(*entry);
            const Extended depth = kNoteStep * Extended(notes.size());
            if (!firstOnPage && !fits(more - br - depth - 42)) {
                nextPage();
                firstOnPage = true;
            }
            if (!firstOnPage)
                more -= br;
            row(*entry);
            font(u"Arial-Italic", static_cast<float>(kNoteFontSize));
            for (const QString& note : notes) {
                if (!fits(more - kNoteStep - 42)) {
                    nextPage();
                    font(u"Arial-Italic", static_cast<float>(kNoteFontSize));
                }
                more -= kNoteStep;
                text(begin + kNoteIndent, more - 42, note);
            }
            font(u"Arial", 10);
            firstOnPage = false;
        }
    }

    // The notice, the page number when there are several pages, and the extraction line,
    // k line steps above the bottom edge whatever the page height.
    void footer()
    {
        const Extended ph = c.PageHeight();
        const Extended s = br;
        c.SetFont(u"Arial", 8);
        text(15, ph - (ph - 2 * s),
             QStringLiteral("Conformément à la loi Informatique et Libertés, vous pouvez demander "
                            "la rectification des informations vous concernant auprès de votre "
                            "organisme"));
        text(15, ph - (ph - 1.5L * s), QStringLiteral("gestionnaire."));
        if (pages > 1) {
            const QString number = QStringLiteral("page %1 / %2").arg(page).arg(pages);
            text(begin + size2 - c.TextWidth(u16(number)), ph - (ph - s), number);
        }
        c.SetFont(u"Arial-Italic", 6);
        text(15, ph - (ph - s), extractionLine(extractedAt, record.carte_numserie));
    }
};

} // namespace

namespace
{

void drawAttestation(pdf::TPdfDoc& doc, const VitaleRecord& record, const pdf::TGraphic& logo,
                     const QDateTime& extractedAt)
{
    doc.SetClock([date = pdfDate(extractedAt)] { return date; });
    doc.NewDoc();
    doc.AddPage(); // selects Arial 10: Arial becomes the document's font F0
    doc.AddXObject(kLogo, pdf::CreatePdfImage(logo, u"Pdf-Jpeg"));
    Certificate(doc, record, logo, extractedAt).write();
}

} // namespace

void writeAttestation(std::ostream& out, const VitaleRecord& record, const pdf::TGraphic& logo,
                      const QDateTime& extractedAt)
{
    pdf::TPdfDoc doc;
    drawAttestation(doc, record, logo, extractedAt);
    doc.SaveToStream(out);
}

std::string attestationBytes(const VitaleRecord& record, const pdf::TGraphic& logo,
                             const QDateTime& extractedAt)
{
    pdf::TPdfDoc doc;
    drawAttestation(doc, record, logo, extractedAt);
    return doc.SaveToString();
}

} // namespace kelvora
