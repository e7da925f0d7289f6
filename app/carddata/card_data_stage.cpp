// The card data stage: the patient card's document read through the library, decoded into the
// Vitale record, its codes looked up in the library's dictionary, then both cards released.
#include "carddata/vitale_decode.h"
#include "reader/cp1252.h"
#include "shell/tppal.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

using kelvora::reader::LecFunction;

namespace
{

constexpr quint32 kReadBufferSize = 102400;
constexpr quint16 kLabelCapacity = 128;

} // namespace

QString Tppal::dictionnaire_lec(qint16 table, const QString& code)
{
    const QByteArray ansiCode = kelvora::reader::toCp1252(code);
    QByteArray label(kLabelCapacity, '\0');
    quint16 capacity = kLabelCapacity;
    quint16 error = 0;
    const auto r = appli_apilec.dictionnaire(appli_dossier_apilec_force.constData(), table,
                                             ansiCode.constData(), "00000000", label.data(),
                                             &capacity, &error);
    const int retour = r ? int(*r) : -1;

    // Added as a line of its own in the format of the text before it, as the log's lines are.
    QTextCursor cursor(debug_texte->document());
    cursor.movePosition(QTextCursor::End);
    if (!cursor.block().text().isEmpty())
        cursor.insertText(QStringLiteral("\n"));
    cursor.insertText(
        QStringLiteral("Dictionnaire %1: %2(%3)\n").arg(table).arg(retour).arg(error));

    // Whatever the library left in the buffer, up to its zero byte and never past the buffer.
    const qsizetype end = label.indexOf('\0');
    return kelvora::reader::fromCp1252(QByteArrayView(label).first(end < 0 ? label.size() : end));
}

void Tppal::check_donneesExecute()
{
    runStage(EtatRow::Informations,
             {QStringLiteral("Extraction des informations"),
              QStringLiteral("Extraction des données"), QStringLiteral("Données illisibles !")},
             [this] {
                 if (!apilec_disponible(LecFunction::LectureVitale) ||
                     !apilec_disponible(LecFunction::Dictionnaire))
                     return;
                 QByteArray appli_api_xml(kReadBufferSize, '\0');
                 quint32 appli_api_size = kReadBufferSize;
                 appli_api_word = 0;
                 appli_api_error = 0;
                 const int r = *appli_apilec.lectureVitale(appli_api_session, appli_api_session_CPS,
                                                           appli_api_xml.data(), &appli_api_size,
                                                           &appli_api_error);
                 appli_api_return = r;
                 if (r != 0) {
                     classification_resultat(
                         r, appli_api_error, quint16(r),
                         QStringLiteral("Taille retour : %1 (session : %2)\r\n")
                             .arg(appli_api_size)
                             .arg(appli_api_session),
                         {QStringLiteral("Cette erreur est bloquante pour la lecture\r\n"),
                          QStringLiteral("Assurez-vous que le carte est bien insérée\r\n"),
                          QStringLiteral("La carte ne peut pas être lue\r\n")},
                         QStringLiteral("La données ont été récupérées\r\n"));
                 } else {
                     AddDebugText(QStringLiteral("La données ont été récupérées\r\n"), StyleBold,
                                  ClGreen);
                 }
                 if (appli_check_continue != 0)
                     return;

                 kelvora::VitaleDecodeResult decoded =
                     kelvora::decodeVitaleDocument(kelvora::cardDocumentBytes(appli_api_xml));
                 if (!decoded.ok()) {
                     // Nothing of an unreadable document may reach a certificate.
                     appli_vitale = {};
                     AddDebugText(decoded.reason + QStringLiteral("\r\n"), StyleBold, ClRed);
                     appli_check_continue = 1;
                     return;
                 }
                 kelvora::VitaleRecord& record = *decoded.record;
                 for (const kelvora::WalkStep& step : record.walk) {
                     if (const auto* note = std::get_if<kelvora::SectionNote>(&step)) {
                         AddDebugText(note->text, StyleNone, ClBlack);
                     } else {
                         const auto& lookup = std::get<kelvora::DictionaryLookup>(step);
                         applyLabel(record, lookup, dictionnaire_lec(lookup.table, lookup.code));
                     }
                     platform().processEvents();
                 }
                 appli_vitale = std::move(record);
             });
    liberation_cartes();
}

void Tppal::liberation_cartes()
{
    appli_api_error = 0;
    appli_api_word = 0;
    const auto keep = [this](std::optional<std::uint16_t> r) {
        if (r)
            appli_api_return = *r;
    };
    keep(appli_apilec.retraitMhtVitale(appli_api_session, 0, &appli_api_error));
    keep(appli_apilec.retraitMhtCPS(appli_api_session_CPS, appli_api_word, &appli_api_error));
    keep(appli_apilec.fermetureSessionVitale(appli_api_session, &appli_api_error));
    keep(appli_apilec.fermetureSessionCPS(appli_api_session_CPS, &appli_api_error));
    // Closed sessions: a later run that fails before opening new ones releases 0, not these.
    appli_api_session = 0;
    appli_api_session_CPS = 0;
}
