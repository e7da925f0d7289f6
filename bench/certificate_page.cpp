#include "certificate_page.h"

namespace kelvora::bench
{

namespace
{

constexpr float kBegin = 17;
constexpr float kStep = 17;
constexpr float kWidth = 562;
constexpr int kGrey = 0xE3E3E3;

void Frame(TCertificatePage& APage, float ATop, float AHeight, std::vector<float> AInner)
{
    APage.Lines.push_back({kBegin, ATop, kBegin + kWidth, ATop, 0});
    APage.Lines.push_back({kBegin, ATop - AHeight, kBegin + kWidth, ATop - AHeight, 0});
    float pos = ATop;
    for (int i = 0; i < 26; ++i) {
        pos -= 1;
        APage.Lines.push_back({kBegin + 1, pos, kBegin + kWidth - 1, pos, kGrey});
    }
    APage.Lines.push_back({kBegin + 1, pos - 1, kBegin + kWidth - 1, pos - 1, 0});
    AInner.insert(AInner.begin(), 0);
    AInner.push_back(kWidth);
    for (float x : AInner)
        APage.Lines.push_back({kBegin + x, ATop, kBegin + x, ATop - AHeight, 0});
}

} // namespace

TCertificatePage MakeCertificatePage()
{
    TCertificatePage p;
    auto text = [&p](const char16_t* font, float size, float x, float y, std::u16string s) {
        p.Texts.push_back({font, size, x, y, std::move(s)});
    };
    float y = 760;
    text(u"Arial", 10, 57.5, y, u"Assuré social : ");
    text(u"Arial", 10, 127, y, u"DUPONT Hélène");
    y -= kStep;
    text(u"Arial", 10, 17, y, u"N° de Sécurité Sociale : ");
    text(u"Arial", 10, 127, y, u"2 84 05 75 123 456 78");
    y -= kStep;
    text(u"Arial", 10, 83, y, u"Régime : ");
    text(u"Arial", 10, 127, y, u"Régime général");
    y -= kStep;
    text(u"Arial", 10, 87, y, u"Caisse : ");
    text(u"Arial", 10, 127, y, u"CPAM de Paris - Service médical");
    y -= 2 * kStep;
    text(u"Arial-Bold", 20, 17, y, u"Attestation de droits Régime Obligatoire");
    y -= 2 * kStep;
    Frame(p, y, 52, {207, 284, 404});
    text(u"Arial", 10, 20, y - 15, u"organisme de rattachement sécurité sociale");
    text(u"Arial", 10, 234, y - 15, u"code gestion");
    text(u"Arial", 10, 312, y - 12, u"n° de sécurité sociale");
    text(u"Arial", 10, 312, y - kStep - 5, u"de l'assuré");
    text(u"Arial", 10, 20, y - 42, u"01 751 0000");
    text(u"Arial", 10, 234, y - 42, u"10");
    text(u"Arial", 10, 311, y - 42, u"2 84 05 75 123 456 78");
    text(u"Arial", 10, 432, y - 42, u" ");
    y = y - kStep - 42;
    Frame(p, y, 500, {404});
    text(u"Arial", 10, 20, y - 15, u"Bénéficiaire(s)");
    text(u"Arial", 10, 252, y - 15, u"n° de sécurité sociale du bénéficiaire");
    text(u"Arial", 10, 432, y - 15, u"né(e) le / rang");
    const char16_t* names[] = {u"DUPONT Hélène", u"DUPONT Loïc", u"DUPONT Zoé", u"DUPONT Anaïs",
                               u"DUPONT Jérôme"};
    float row = y;
    for (const char16_t* name : names) {
        text(u"Arial", 10, 20, row - 42, name);
        text(u"Arial", 10, 311, row - 42, u"2 84 05 75 123 456 78");
        text(u"Arial", 10, 432, row - 42, u"05/03/1975");
        text(u"Arial", 10, 507, row - 42, u"1");
        row -= 8;
        text(u"Arial-Italic", 8, 30, row - 42,
             u"Droits ouverts du 01/01/2026 au 31/12/2026 — exonération du ticket modérateur");
        row -= kStep;
    }
    text(u"Arial", 8, 15, 34,
         u"Conformément à la loi Informatique et Libertés, vous pouvez demander la "
         u"rectification des informations vous concernant auprès de votre organisme");
    text(u"Arial", 8, 15, 25.5, u"gestionnaire.");
    text(u"Arial-Italic", 6, 15, 17,
         u"Extrait le 09/12/2026 - 14:05:09 depuis la carte portant numéro de série 123456789");
    return p;
}

} // namespace kelvora::bench
