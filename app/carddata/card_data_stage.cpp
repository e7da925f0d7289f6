#include "carddata/card_data_stage.h"

#include "base/vitale_decode.h"
#include "base/cp1252.h"
#include "reader/card_call.h"

// Card calls are tables of designated fields; the ones a stage leaves out are empty on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace kelvora::carddata
{

namespace
{

constexpr quint32 kReadBufferSize = 102400;
constexpr quint16 kLabelCapacity = 128;

// Decodes the document the library returned; an unreadable one fails the stage.
void decode(RunCore& core, const QByteArray& document, StageResult& result)
{
    VitaleDecodeResult decoded = decodeVitaleDocument(cardDocumentBytes(document));
    if (!decoded.ok()) {
        // Nothing of an unreadable document may reach a certificate.
        core.appli_vitale = {};
        // The parser's own words come after what the user can do about it.
        const QString lead =
            decoded.failure == VitaleDecodeFailure::NotParsed
                ? QStringLiteral("Retirez la carte Vitale, réinsérez-la puis relancez la lecture. ")
                : QString();
        core.AddDebugText(lead + decoded.reason + QStringLiteral("\r\n"), StyleBold, ClRed);
        result.fail();
        return;
    }
    VitaleRecord& record = *decoded.record;
    for (const WalkStep& step : record.walk) {
        if (const auto* note = std::get_if<SectionNote>(&step)) {
            core.AddDebugText(note->text, StyleNone, ClBlack);
        } else {
            const auto& lookup = std::get<DictionaryLookup>(step);
            applyLabel(record, lookup, dictionnaire_lec(core, lookup.table, lookup.code));
        }
        core.dialogs().processEvents();
    }
    core.appli_vitale = std::move(record);
}

} // namespace

QString dictionnaire_lec(RunCore& core, qint16 table, const QString& code)
{
    const QByteArray ansiCode = reader::toCp1252(code);
    QByteArray label(kLabelCapacity, '\0');
    quint16 capacity = kLabelCapacity;
    quint16 error = 0;
    const auto r = core.appli_apilec.dictionnaire(core.appli_dossier_apilec_force.constData(),
                                                  table, ansiCode.constData(), "00000000",
                                                  label.data(), &capacity, &error);
    const int retour = r ? int(*r) : -1;
    core.debug.addLineInPreviousFormat(
        QStringLiteral("Dictionnaire %1: %2(%3)\n").arg(table).arg(retour).arg(error));

    // Whatever the library left in the buffer, up to its zero byte and never past the buffer.
    const qsizetype end = label.indexOf('\0');
    return reader::fromCp1252(QByteArrayView(label).first(end < 0 ? label.size() : end));
}

void check_donneesExecute(RunCore& core)
{
    QByteArray appli_api_xml;
    quint32 appli_api_size = kReadBufferSize;
    const reader::CardCall lecture{
        .texts = {QStringLiteral("Extraction des informations"),
                  QStringLiteral("Extraction des données"), QStringLiteral("Données illisibles !")},
        .row = EtatRow::Informations,
        .function = reader::LecFunction::LectureVitale,
        .alsoNeeds = reader::LecFunction::Dictionnaire,
        .reset =
            [](RunCore& c) {
                c.appli_api_word = 0;
                c.appli_api_error = 0;
            },
        .call =
            [&](RunCore& c) {
                appli_api_xml = QByteArray(kReadBufferSize, '\0');
                return int(*c.appli_apilec.lectureVitale(c.appli_api_session,
                                                         c.appli_api_session_CPS,
                                                         appli_api_xml.data(), &appli_api_size,
                                                         &c.appli_api_error));
            },
        .errorDetail =
            [&](const RunCore& c) {
                return QStringLiteral("Taille retour : %1 (session : %2)\r\n")
                    .arg(appli_api_size)
                    .arg(c.appli_api_session);
            },
        .bloquant = {QStringLiteral("Cette erreur est bloquante pour la lecture\r\n"),
                     QStringLiteral("Assurez-vous que le carte est bien insérée\r\n"),
                     QStringLiteral("La carte ne peut pas être lue\r\n")},
        .succes = QStringLiteral("La données ont été récupérées\r\n"),
        .finish =
            [&](RunCore& c, int, StageResult& result) {
                if (!result.failed())
                    decode(c, appli_api_xml, result);
            },
    };
    reader::executeCardCall(core, lecture);
    liberation_cartes(core);
}

void liberation_cartes(RunCore& core)
{
    core.appli_api_error = 0;
    core.appli_api_word = 0;
    const auto keep = [&core](std::optional<std::uint16_t> r) {
        if (r)
            core.appli_api_return = *r;
    };
    const reader::ApiLecLibrary& lib = core.appli_apilec;
    keep(lib.retraitMhtVitale(core.appli_api_session, 0, &core.appli_api_error));
    keep(lib.retraitMhtCPS(core.appli_api_session_CPS, core.appli_api_word, &core.appli_api_error));
    keep(lib.fermetureSessionVitale(core.appli_api_session, &core.appli_api_error));
    keep(lib.fermetureSessionCPS(core.appli_api_session_CPS, &core.appli_api_error));
    // Closed sessions: a later run that fails before opening new ones releases 0, not these.
    core.appli_api_session = 0;
    core.appli_api_session_CPS = 0;
}

} // namespace kelvora::carddata
