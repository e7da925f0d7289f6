// Listing the connected readers, initialising the library with the configured ones, opening
// one session per card (the professional card first), then the cards themselves and the PIN.
#include "reader/reader_stages.h"

#include "base/cp1252.h"
#include "reader/card_call.h"
#include "reader/reader_listing.h"

#include <cstring>
#include <optional>

// Card calls are tables of designated fields; the ones a stage leaves out are empty on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace kelvora::reader
{

namespace
{

constexpr int kPinErrone = 41;
// The stand-in's documented answer, as result and as detail code, once three wrong PINs
// have blocked the card.
constexpr int kCpsBloquee = 42;
// A CPS card allows three tries; a larger detail of a wrong PIN is not a count of tries left.
constexpr int kEssaisCps = 3;
// The application name the library receives, through a cell that holds its address.
constexpr char16_t kApplication[] = u"attest";

QString lineOf(const QString& text)
{
    return text + QStringLiteral("\r\n");
}

// The PIN's ANSI copy lives only for the call and is overwritten before its memory is freed.
class PinAnsi
{
public:
    explicit PinAnsi(const QString& pin) : bytes_(toCp1252(pin)) {}
    ~PinAnsi()
    {
        volatile char* p = bytes_.data();
        for (qsizetype i = 0; i < bytes_.size(); ++i)
            p[i] = 0;
    }
    PinAnsi(const PinAnsi&) = delete;
    PinAnsi& operator=(const PinAnsi&) = delete;
    const char* data() const { return bytes_.constData(); }

private:
    QByteArray bytes_;
};

// Clears a field for as long as the pointer would otherwise outlive the text it points at.
struct PointeurTemporaire {
    const char*& field;
    PointeurTemporaire(const char*& f, const char* value) : field(f) { field = value; }
    ~PointeurTemporaire() { field = nullptr; }
};

const QStringList kBloquantLecteur = {
    QStringLiteral("Cette erreur est bloquante pour le lecteur\r\n"),
    QStringLiteral("Lecteur non joignable\r\n")};
const QStringList kBloquantLecteurCps = {
    QStringLiteral("Cette erreur est bloquante pour le lecteur\r\n"),
    QStringLiteral("Lecteur CPS non joignable\r\n")};

void resetSession(RunCore& c)
{
    // Only the patient-card number is reset: the CPS call writes the other one.
    c.appli_api_session = 0;
    c.appli_api_error = 0;
    c.appli_api_char = kApplication;
    c.appli_api_word = 0;
}

void resetCard(RunCore& c)
{
    c.appli_api_error = 0;
    c.appli_api_word = 0;
    c.appli_api_word2 = 0;
}

QString etatCarte(quint16 etat, quint16 session)
{
    return QStringLiteral("Etat carte : %1 (session : %2)\r\n").arg(etat).arg(session);
}

QString sessionLecteur(quint16 nombre, quint16 session)
{
    return QStringLiteral("Nombre lecteurs : %1 (session : %2)\r\n").arg(nombre).arg(session);
}

void readConfiguredNames(RunCore& c)
{
    const IniFile ini(c.appli_ini_file);
    const auto readName = [&](const QString& label, const QString& key, QString& field) {
        c.AddDebugText(label, StyleNone, ClBlack);
        const auto value = ini.value(QStringLiteral("Lecteur"), key);
        if (value) {
            field = *value;
            c.AddDebugText(lineOf(field), StyleNone, ClBlack);
        } else {
            field.clear();
            c.AddDebugText(QStringLiteral("Fichier non trouvé à l'emplacement voulu\r\n"),
                           StyleBold, ClRed);
        }
    };
    readName(QStringLiteral("Contenu api_lec (Vitale) : "), QStringLiteral("Ressource_Vitale"),
             c.appli_nom_lecteur_ini);
    readName(QStringLiteral("Contenu api_lec (CPS) : "), QStringLiteral("Ressource_CPS"),
             c.appli_nom_lecteur2_ini);
}

// A failed reader stage adds what the smart-card service shows of the cause, after its own
// texts, and only when the service shows one. `configured` names the stage's own reader first.
void causeDuService(RunCore& c, StageResult& result, const QStringList& configured)
{
    if (!result.failed())
        return;
    const std::optional<QString> cause =
        smartCardCause(c.platform().smartCardReaders(), configured);
    if (!cause)
        return;
    c.AddDebugText(lineOf(*cause), StyleBold, ClRed);
    result.suivi2 = (result.suivi2.isEmpty()
                         ? QStringLiteral("Consulter le diagnostic pour plus d'informations")
                         : result.suivi2) +
                    QLatin1Char('\n') + *cause;
}

void causeVitale(RunCore& c, int, StageResult& result)
{
    causeDuService(c, result, {c.appli_nom_lecteur_ini, c.appli_nom_lecteur2_ini});
}

// The stages that are one card call each, in the order of the run.
const CardCall kInitLecteurs{
    .texts = {QStringLiteral("Initialisation du lecteur"), QStringLiteral("Connexion au lecteur"),
              QStringLiteral("Lecteur ne répond pas !")},
    .row = EtatRow::Lecteur,
    .function = LecFunction::InitLecteurs,
    .prepare = readConfiguredNames,
    .reset = [](RunCore& c) { c.appli_api_error = 0; },
    .call =
        [](RunCore& c) {
            c.appli_reader_use = toCp1252(c.appli_nom_lecteur_ini);
            c.appli_reader_use2 = toCp1252(c.appli_nom_lecteur2_ini);
            return int(*c.appli_apilec.initLecteurs(
                c.appli_dossier_apilec_force.constData(), c.appli_reader_use.constData(),
                c.appli_reader_use2.constData(), &c.appli_api_error));
        },
    .bloquant = kBloquantLecteur,
    .succes = QStringLiteral("Lecteur initialisé\r\n"),
    .finish = causeVitale,
};

const CardCall kLecteurCps{
    .texts = {QStringLiteral("Connexion au lecteur CPS"),
              QStringLiteral("Connexion au lecteur CPS"),
              QStringLiteral("Lecteur CPS ne répond pas !")},
    .row = EtatRow::Lecteur,
    .function = LecFunction::OuvertureSessionCPS,
    .reset = resetSession,
    .call =
        [](RunCore& c) {
            return int(*c.appli_apilec.ouvertureSessionCPS(c.appli_dossier_apilec_force.constData(),
                                                            &c.appli_api_char,
                                                            &c.appli_api_session_CPS,
                                                            &c.appli_api_error));
        },
    .errorDetail =
        [](const RunCore& c) { return sessionLecteur(c.appli_api_word, c.appli_api_session_CPS); },
    .bloquant = kBloquantLecteurCps,
    .succes = QStringLiteral("Lecteur CPS disponible\r\n"),
    .onZero =
        [](RunCore& c, int r, StageResult&) {
            c.AddDebugText(QStringLiteral("Lecteur CPS disponible\r\n"), StyleBold, ClGreen);
            c.AddDebugText(QStringLiteral("Erreur : %1\r\n").arg(r), StyleNone, ClBlack);
        },
    .finish =
        [](RunCore& c, int, StageResult& result) {
            causeDuService(c, result, {c.appli_nom_lecteur2_ini, c.appli_nom_lecteur_ini});
        },
};

const CardCall kLecteurVitale{
    .texts = {QStringLiteral("Connexion au lecteur"), QStringLiteral("Connexion au lecteur Vitale"),
              QStringLiteral("Lecteur ne répond pas !")},
    .row = EtatRow::Lecteur,
    .function = LecFunction::OuvertureSessionVitale,
    .reset = resetSession,
    .call =
        [](RunCore& c) {
            return int(*c.appli_apilec.ouvertureSessionVitale(
                c.appli_dossier_apilec_force.constData(), &c.appli_api_char, &c.appli_api_session,
                &c.appli_api_error));
        },
    .errorDetail =
        [](const RunCore& c) { return sessionLecteur(c.appli_api_word, c.appli_api_session); },
    .bloquant = kBloquantLecteur,
    .succes = QStringLiteral("Lecteur disponible\r\n"),
    .finish = causeVitale,
};

const CardCall kCarteCps{
    .texts = {QStringLiteral("Accès carte CPS"), QStringLiteral("Lecture de la carte CPS"),
              QStringLiteral("Carte CPS pas/mal insérée !")},
    .row = EtatRow::Cartes,
    .function = LecFunction::IntroductionMstCPS,
    .reset =
        [](RunCore& c) {
            resetCard(c);
            c.appli_api_char_civ.fill(0);
        },
    .call =
        [](RunCore& c) {
            return int(*c.appli_apilec.introductionMstCPS(
                c.appli_api_session_CPS, c.appli_api_word2, c.appli_api_char_civ,
                c.appli_api_char_nom, &c.appli_api_word, &c.appli_api_error));
        },
    .errorDetail =
        [](const RunCore& c) { return etatCarte(c.appli_api_word2, c.appli_api_session_CPS); },
    .bloquant = kBloquantLecteurCps,
    .succes = QStringLiteral("Lecteur CPS disponible\r\n"),
    .onZero =
        [](RunCore& c, int r, StageResult&) {
            // A detail code with a zero result is reported, not a failure.
            c.AddDebugText(QStringLiteral(" * Retour : %1\r\n").arg(r), StyleNone, ClBlack);
            c.AddDebugText(QStringLiteral(" * Erreur : %1\r\n").arg(c.appli_api_error), StyleNone,
                           ClBlack);
        },
};

bool cpsBloquee(int r, quint16 e)
{
    return r == kCpsBloquee || e == kCpsBloquee;
}

bool pinErrone(int r, quint16 e)
{
    return !cpsBloquee(r, e) && (r == kPinErrone || (r == 0 && e == 2));
}

// The tries left, when the library gives them: the detail code of a wrong-PIN result.
std::optional<int> essaisRestants(int r, quint16 e)
{
    if (r == kPinErrone && e >= 1 && e <= kEssaisCps)
        return int(e);
    return std::nullopt;
}

// Said plainly, so the practitioner does not type the same PIN again and lock the card.
void logCpsBloquee(RunCore& c, StageResult& result)
{
    result.fail();
    c.AddDebugText(QStringLiteral("ARRET - carte CPS bloquée (code : %1)\r\n").arg(c.appli_api_error),
                   StyleBold, ClRed);
    c.AddDebugText(QStringLiteral("Débloquez-la avec son code de déblocage (PUK) avant de "
                                  "l'utiliser\r\n"),
                   StyleBold, ClRed);
}

const CardCall kControleCps{
    .texts = {QStringLiteral("Contrôle carte CPS"), QStringLiteral("Contrôle de la carte CPS"),
              QStringLiteral("Carte CPS pas/mal insérée !")},
    .row = EtatRow::Cartes,
    .function = LecFunction::ControleCPS,
    .reset = resetCard,
    .call =
        [](RunCore& c) {
            const PinAnsi pin(c.view().pinSaisi());
            const PointeurTemporaire pointe(c.appli_api_pin_saisie, pin.data());
            return int(*c.appli_apilec.controleCPS(
                c.appli_api_session_CPS, c.appli_api_pin_saisie, c.appli_api_char_date,
                c.appli_api_char_appli, c.appli_api_char_typecarte, c.appli_api_char_presentpin,
                c.appli_api_char_categorie, &c.appli_api_error));
        },
    .classifyByDetail = true,
    .errorDetail =
        [](const RunCore& c) { return etatCarte(c.appli_api_word2, c.appli_api_session_CPS); },
    .bloquant = {QStringLiteral("Cette erreur est bloquante pour la lecture\r\n"),
                 QStringLiteral("Assurez-vous que le carte CPS est bien insérée\r\n"),
                 QStringLiteral("La carte CPS ne peut pas être lue\r\n")},
    .succes = QStringLiteral("La carte est accessible\r\n"),
    .onNotBlocking =
        [](RunCore& c, int r, StageResult& result) {
            if (r != kPinErrone)
                return false;
            result.fail();
            const quint16 e = c.appli_api_error;
            QString ligne = QStringLiteral("ARRET - erreur code CPS : %1").arg(e);
            if (const auto essais = essaisRestants(r, e))
                ligne += QStringLiteral(" (essais restants : %1)").arg(*essais);
            c.AddDebugText(lineOf(ligne), StyleBold, ClRed);
            return true;
        },
    // A blocked card is told as such, not as a card to insert again.
    .onError =
        [](RunCore& c, int r, StageResult& result) {
            if (!cpsBloquee(r, c.appli_api_error))
                return false;
            logCpsBloquee(c, result);
            return true;
        },
    .onZero =
        [](RunCore& c, int, StageResult& result) {
            const quint16 e = c.appli_api_error;
            if (e != 0) {
                result.fail();
                c.AddDebugText(QStringLiteral("Erreur : %1\r\n").arg(e), StyleBold, ClRed);
                if (e == 2)
                    c.AddDebugText(QStringLiteral("Probablement erreur code CPS\r\n"), StyleBold,
                                   ClRed);
                if (cpsBloquee(0, e))
                    logCpsBloquee(c, result);
            } else {
                c.AddDebugText(QStringLiteral("La carte CPS est accessible\r\n"), StyleBold,
                               ClGreen);
            }
        },
    .finish =
        [](RunCore& c, int r, StageResult&) {
            // A wrong PIN left in the field would be sent again at every click and block the
            // practitioner's card after three tries; a blocked card needs no PIN until unblocked.
            if (r == kPinErrone || pinErrone(r, c.appli_api_error) ||
                cpsBloquee(r, c.appli_api_error))
                c.view().viderPin();
        },
    .explain = [](const RunCore& c, int r) -> std::optional<Suivi> {
        const quint16 e = c.appli_api_error;
        if (cpsBloquee(r, e))
            return Suivi{QStringLiteral("Carte CPS bloquée !"),
                         QStringLiteral("Débloquez-la avec son code PUK avant de l'utiliser")};
        if (!pinErrone(r, e))
            return std::nullopt;
        const auto essais = essaisRestants(r, e);
        if (!essais)
            return Suivi{QStringLiteral("Code CPS faux !"),
                         QStringLiteral("Vérifiez le code CPS avant de relancer la lecture")};
        return Suivi{QStringLiteral("Code CPS faux !"),
                     *essais == 1
                         ? QStringLiteral("Dernier essai avant le blocage de la carte CPS")
                         : QStringLiteral("Encore %1 essais avant le blocage de la carte CPS")
                               .arg(*essais)};
    },
};

const CardCall kCarteVitale{
    .texts = {QStringLiteral("Accès carte Vitale"), QStringLiteral("Lecture de la carte Vitale"),
              QStringLiteral("Carte pas/mal insérée !")},
    .row = EtatRow::Cartes,
    .function = LecFunction::IntroductionMstVitale,
    .reset = resetCard,
    .call =
        [](RunCore& c) {
            return int(*c.appli_apilec.introductionMstVitale(c.appli_api_session, c.appli_api_word,
                                                             &c.appli_api_word2,
                                                             &c.appli_api_error));
        },
    .classifyByDetail = true,
    .errorDetail =
        [](const RunCore& c) { return etatCarte(c.appli_api_word2, c.appli_api_session); },
    .bloquant = {QStringLiteral("Cette erreur est bloquante pour la lecture\r\n"),
                 QStringLiteral("Assurez-vous que le carte est bien insérée\r\n"),
                 QStringLiteral("La carte ne peut pas être lue\r\n")},
    .succes = QStringLiteral("La carte est accessible\r\n"),
};

} // namespace

void check_ListelecteursExecute(RunCore& c)
{
    // Once a reader is known the listing never runs again in this session.
    if (c.appli_reader_lec != QStringLiteral("N/A"))
        return;
    c.runStage(
        EtatRow::Lecteur,
        {QStringLiteral("Choix du lecteur"), QStringLiteral("Connexion au lecteur"),
         QStringLiteral("Lecteur ne répond pas !")},
        [&c] {
            StageResult result = apilec_disponible(c, LecFunction::ListeLecteurs);
            if (result.failed())
                return result;
            std::optional<ReaderListing> listing =
                listReaders(c.appli_apilec, c.appli_dossier_apilec_force.constData());
            if (!listing)
                return StageResult::failure();
            c.appli_reader_nbre = listing->count;
            c.appli_api_error = listing->error;
            if (listing->result)
                c.appli_api_return = *listing->result;
            c.appli_reader_list = std::move(listing->entries);
            if (listing->refusedAbove) {
                c.AddDebugText(QStringLiteral("Nombre de lecteurs refusé : %1 (au plus %2)\r\n")
                                   .arg(listing->count)
                                   .arg(*listing->refusedAbove),
                               StyleBold, ClRed);
                c.AddDebugText(QStringLiteral("Aucun lecteur trouvé !\r\n"), StyleBold, ClRed);
                return result;
            }
            const int r = *listing->result;

            if (r != 0) {
                c.AddDebugText(
                    QStringLiteral("Nombre de lecteurs : %1 (erreur : %2 / code : %3)\r\n")
                        .arg(c.appli_reader_nbre)
                        .arg(c.appli_api_error)
                        .arg(r),
                    StyleNone, ClBlack);
                c.AddDebugText(QStringLiteral("Erreur sans impact avec GALSS\r\n"), StyleNone,
                               ClBlack);
            } else if (c.appli_reader_nbre >= 1 && !c.appli_reader_list.empty()) {
                c.AddDebugText(
                    QStringLiteral("Nombre de lecteurs : %1\r\n").arg(c.appli_reader_nbre),
                    StyleNone, ClBlack);
                c.AddDebugText(QStringLiteral("Lecteur branché : "), StyleNone, ClBlack);
                c.AddDebugText(lineOf(readerName(c.appli_reader_list.front())), StyleBold, ClGreen);
            } else {
                c.AddDebugText(QStringLiteral("Lecteur non branché\r\n"), StyleBold, ClRed);
                c.AddDebugText(QStringLiteral("Erreur sans impact avec GALSS\r\n"), StyleNone,
                               ClBlack);
            }

            if (!c.appli_reader_list.empty())
                c.appli_reader_lec = readerName(c.appli_reader_list.front());
            else
                c.AddDebugText(QStringLiteral("Aucun lecteur trouvé !\r\n"), StyleBold, ClRed);
            return result;
        });
}

void check_initlecteursExecute(RunCore& core)
{
    executeCardCall(core, kInitLecteurs);
}

void check_lecteurCPSExecute(RunCore& core)
{
    executeCardCall(core, kLecteurCps);
}

void check_lecteurExecute(RunCore& core)
{
    executeCardCall(core, kLecteurVitale);
}

void check_CPSExecute(RunCore& core)
{
    executeCardCall(core, kCarteCps);
}

void controle_CPSExecute(RunCore& core)
{
    executeCardCall(core, kControleCps);
}

void check_vitaleExecute(RunCore& core)
{
    executeCardCall(core, kCarteVitale);
}

} // namespace kelvora::reader
