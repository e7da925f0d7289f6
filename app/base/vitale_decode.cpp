#include "base/vitale_decode.h"

#include "base/xml_library.h"

#include <climits>
#include <memory>
#include <stdexcept>
#include <string>

namespace kelvora
{

namespace
{

struct XmlDocFree {
    void operator()(xmlDoc* doc) const { libXml().freeDoc(doc); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocFree>;

struct XmlParserCtxtFree {
    void operator()(xmlParserCtxt* ctxt) const { libXml().freeParserCtxt(ctxt); }
};
using XmlParserCtxtPtr = std::unique_ptr<xmlParserCtxt, XmlParserCtxtFree>;

// No network, no DTD loading, entities left as references (so external ones are never read)
// and libxml2's default expansion limits; errors come back through the context, not stderr.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// Entities nest at most this deep when their text is gathered (libxml2 uses the same bound).
constexpr int kMaxEntityDepth = 40;

bool named(const xmlNode* node, const char* name)
{
    return libXml().strEqual(node->name, reinterpret_cast<const xmlChar*>(name)) != 0;
}

// First child element of that name; a missing parent or child gives nullptr, whose text is
// empty, so a read of something absent yields empty text and the walk goes on.
const xmlNode* child(const xmlNode* parent, const char* name)
{
    if (parent == nullptr)
        return nullptr;
    for (const xmlNode* n = parent->children; n != nullptr; n = n->next) {
        if (n->type == XML_ELEMENT_NODE && named(n, name))
            return n;
    }
    return nullptr;
}

bool has(const xmlNode* parent, const char* name)
{
    return child(parent, name) != nullptr;
}

// Beneficiaries are taken by position among child elements; comments and blank text
// between them are not entries.
std::vector<const xmlNode*> childElements(const xmlNode* parent)
{
    std::vector<const xmlNode*> elements;
    if (parent == nullptr)
        return elements;
    for (const xmlNode* n = parent->children; n != nullptr; n = n->next) {
        if (n->type == XML_ELEMENT_NODE)
            elements.push_back(n);
    }
    return elements;
}

// Gathers the character content of elements. Internal entities are expanded here, against a
// budget for the whole document, so a small document cannot unfold into a huge one.
class TextReader
{
public:
    explicit TextReader(std::size_t entityBudget) : budget_(entityBudget) {}

    QString text(const xmlNode* element)
    {
        if (element == nullptr)
            return {};
        std::string utf8;
        append(utf8, element->children, 0);
        return QString::fromUtf8(utf8);
    }

    bool overflowed() const { return overflowed_; }

private:
    void append(std::string& out, const xmlNode* first, int depth)
    {
        for (const xmlNode* n = first; n != nullptr && !overflowed_; n = n->next) {
            if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
                if (n->content == nullptr)
                    continue;
                const std::string_view piece(reinterpret_cast<const char*>(n->content));
                if (depth > 0) {
                    if (piece.size() > budget_) {
                        overflowed_ = true;
                        return;
                    }
                    budget_ -= piece.size();
                }
                out.append(piece);
            } else if (n->type == XML_ENTITY_REF_NODE) {
                const xmlEntity* entity = libXml().getDocEntity(n->doc, n->name);
                // External entities are never loaded, so they add nothing.
                if (entity == nullptr || entity->etype != XML_INTERNAL_GENERAL_ENTITY)
                    continue;
                if (depth >= kMaxEntityDepth) {
                    overflowed_ = true;
                    return;
                }
                append(out, entity->children, depth + 1);
            }
        }
    }

    std::size_t budget_;
    bool overflowed_ = false;
};

VitaleDecodeResult failed(VitaleDecodeFailure failure, QString reason)
{
    VitaleDecodeResult result;
    result.failure = failure;
    result.reason = std::move(reason);
    return result;
}

QString unparsable(const QString& why)
{
    return QStringLiteral("Le document de la carte n'est pas un XML lisible (%1)").arg(why);
}

// The first error tells what is wrong; later ones are its consequences. libxml2 hands every
// error to the context's structured handler, with the context itself as its data.
struct FirstError {
    bool seen = false;
    int line = 0;
    QString message;
};

void keepFirstError(void* data, xmlErrorPtr error)
{
    auto* first = static_cast<FirstError*>(static_cast<xmlParserCtxt*>(data)->_private);
    if (first == nullptr || first->seen || error == nullptr)
        return;
    first->seen = true;
    first->line = error->line;
    first->message = error->message != nullptr ? QString::fromUtf8(error->message).trimmed()
                                               : QStringLiteral("erreur %1").arg(error->code);
}

QString parseError(const FirstError& first, const xmlParserCtxt& ctxt)
{
    if (first.seen)
        return unparsable(QStringLiteral("ligne %1 : %2").arg(first.line).arg(first.message));
    return unparsable(QStringLiteral("erreur %1").arg(ctxt.lastError.code));
}

class Walk
{
public:
    Walk(TextReader& reader, VitaleRecord& record) : reader_(reader), record_(record) {}

    void entry(int i, const xmlNode* b)
    {
        QStringList entrySlots;
        entrySlots.resize(i == 0 ? kFirstEntrySlots : kEntrySlots);
        record_.appli_xml_ext.append(entrySlots);
        QStringList& e = record_.appli_xml_ext.last();

        record_.donnees.beneficiaires.append(CardBeneficiary{});
        CardBeneficiary& typed = record_.donnees.beneficiaires.last();

        const xmlNode* ident = child(b, "ident");
        e[slot::nomUsuel] = typed.nomUsuel = text(child(ident, "nomUsuel"));
        e[slot::nomPatronymique] = typed.nomPatronymique = text(child(ident, "nomPatronymique"));
        e[slot::prenomUsuel] = typed.prenomUsuel = text(child(ident, "prenomUsuel"));
        e[slot::nir] = typed.nir = text(child(ident, "nir"));
        e[slot::naissance] = text(child(child(ident, "naissance"), "date"));
        typed.naissance = CardDate::fromCard(e[slot::naissance]);
        e[slot::rangDeNaissance] = typed.rangDeNaissance = text(child(ident, "rangDeNaissance"));

        const xmlNode* amo = child(b, "amo");
        if (has(amo, "libelleExo")) {
            note(" * libelleExo\r\n");
            typed.libelleExo = text(child(amo, "libelleExo"));
            e[slot::libelleExo] = QStringLiteral("- ") + *typed.libelleExo;
        }

        const xmlNode* droits = child(child(amo, "listePeriodesDroits"), "T_AsnPeriode");
        if (has(droits, "debut")) {
            note(" * listePeriodesDroits\r\n");
            e[slot::droits] = QStringLiteral("- droits ouverts du ") + period(droits, typed.droits);
        }

        const xmlNode* mutuelle = child(b, "mutuelle");
        if (has(mutuelle, "numIdent")) {
            note(" * mutuelle\r\n");
            CardMutuelle& m = typed.mutuelle.emplace();
            m.numIdent = text(child(mutuelle, "numIdent"));
            e[slot::mutuelle] =
                QStringLiteral("- Mutuelle : identifiant=") + m.numIdent +
                openRights(child(child(mutuelle, "listePeriodes"), "T_AsnPeriode"), m.periode);
        }

        const xmlNode* cmu = child(b, "cmu");
        if (has(cmu, "typeCMU")) {
            note(" * cmu\r\n");
            CardCmu& c = typed.cmu.emplace();
            c.typeCMU = text(child(cmu, "typeCMU"));
            lookup(i, slot::cmu, dico::cmu, c.typeCMU, QStringLiteral("- CMU : "),
                   openRights(child(cmu, "periode"), c.periode));
        }

        if (i == 0) {
            e[slot::codeRegime] = text(child(amo, "codeRegime"));
            e[slot::caisse] = text(child(amo, "caisse"));
            e[slot::centreCarte] = text(child(amo, "centreCarte"));
            e[slot::codeGestion] = text(child(amo, "codeGestion"));
            CardData& card = record_.donnees;
            card.codeRegime = e[slot::codeRegime];
            card.caisse = e[slot::caisse];
            card.centreCarte = e[slot::centreCarte];
            card.codeGestion = e[slot::codeGestion];
            lookup(i, slot::libelleRegime, dico::regime, e[slot::codeRegime], {}, {});
            lookup(i, slot::libelleCaisse, dico::caisse,
                   e[slot::codeRegime] + e[slot::caisse] + e[slot::centreCarte], {}, {});
        }
    }

private:
    QString text(const xmlNode* element) { return reader_.text(element); }

    // Every `fin` is read once its `debut` is there, present or not.
    QString period(const xmlNode* p, std::optional<CardPeriod>& typed)
    {
        const QString debut = text(child(p, "debut"));
        const QString fin = text(child(p, "fin"));
        typed = CardPeriod{CardDate::fromCard(debut), CardDate::fromCard(fin)};
        return cardDate(debut) + QStringLiteral(" au ") + cardDate(fin);
    }

    QString openRights(const xmlNode* p, std::optional<CardPeriod>& typed)
    {
        return has(p, "debut") ? QStringLiteral(" *** droits ouverts du ") + period(p, typed)
                               : QString();
    }

    void note(const char* line)
    {
        record_.walk.emplace_back(SectionNote{QString::fromLatin1(line)});
    }

    void lookup(int entry, int slotIndex, qint16 table, const QString& code, const QString& before,
                const QString& after)
    {
        DictionaryLookup l{entry, slotIndex, table, code, before, after};
        record_.appli_xml_ext[entry][slotIndex] = before + after;
        record_.walk.emplace_back(std::move(l));
    }

    TextReader& reader_;
    VitaleRecord& record_;
};

} // namespace

QString cardDate(const QString& text)
{
    return text.mid(0, 2) + QLatin1Char('/') + text.mid(2, 2) + QLatin1Char('/') + text.mid(4, 4);
}

QByteArrayView cardDocumentBytes(QByteArrayView buffer)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(buffer[i]); };
    const bool utf16 =
        buffer.size() >= 2 &&
        ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF) ||
         (byte(0) == '<' && byte(1) == 0) || (byte(0) == 0 && byte(1) == '<'));
    if (utf16) {
        for (qsizetype i = 0; i + 1 < buffer.size(); i += 2) {
            if (byte(i) == 0 && byte(i + 1) == 0)
                return buffer.first(i);
        }
        return buffer;
    }
    const qsizetype end = buffer.indexOf('\0');
    return end < 0 ? buffer : buffer.first(end);
}

VitaleDecodeResult decodeVitaleDocument(QByteArrayView document)
{
    using enum VitaleDecodeFailure;
    if (document.isEmpty())
        return failed(NotParsed, unparsable(QStringLiteral("document vide")));
    if (document.size() > INT_MAX)
        return failed(NotParsed, unparsable(QStringLiteral("document trop volumineux")));

    const LibXml* xml = nullptr;
    try {
        xml = &libXml();
    } catch (const std::runtime_error& e) {
        return failed(NotParsed, QString::fromUtf8(e.what()));
    }
    const XmlParserCtxtPtr ctxt(xml->newParserCtxt());
    if (!ctxt)
        return failed(NotParsed, unparsable(QStringLiteral("mémoire insuffisante")));
    FirstError firstError;
    ctxt->_private = &firstError;
    ctxt->sax->serror = keepFirstError;
    // No encoding given: the parser follows the document's signature and declaration.
    const XmlDocPtr doc(xml->ctxtReadMemory(ctxt.get(), document.data(),
                                            static_cast<int>(document.size()), nullptr, nullptr,
                                            kParseOptions));
    if (!doc)
        return failed(NotParsed, parseError(firstError, *ctxt));

    const xmlNode* root = xml->docGetRootElement(doc.get());
    if (root == nullptr || !named(root, "T_AsnDonneesVitale")) {
        const QString name = root != nullptr
                                 ? QString::fromUtf8(reinterpret_cast<const char*>(root->name))
                                 : QString();
        return failed(WrongRoot, QStringLiteral("La racine du document de la carte est « %1 » "
                                                "au lieu de « T_AsnDonneesVitale »")
                                     .arg(name));
    }

    const std::vector<const xmlNode*> beneficiaries = childElements(child(root, "listeBenef"));
    if (beneficiaries.empty())
        return failed(NoBeneficiary, QStringLiteral("Le document de la carte ne contient aucun "
                                                    "bénéficiaire (listeBenef vide ou absente)"));

    // Expanded entity text may not exceed the document itself.
    TextReader reader(static_cast<std::size_t>(document.size()));
    VitaleRecord record;
    record.carte_numserie = reader.text(child(child(root, "tech"), "numSerie"));
    record.donnees.numSerie = record.carte_numserie;
    record.appli_xml_cnt2 = static_cast<qint32>(beneficiaries.size());
    record.appli_xml_ext.reserve(record.appli_xml_cnt2);
    Walk walk(reader, record);
    for (int i = 0; i < record.appli_xml_cnt2; ++i)
        walk.entry(i, beneficiaries[static_cast<std::size_t>(i)]);
    if (reader.overflowed())
        return failed(NotParsed, unparsable(QStringLiteral("entités trop volumineuses")));

    VitaleDecodeResult result;
    result.record = std::move(record);
    return result;
}

} // namespace kelvora
