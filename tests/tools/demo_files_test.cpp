#include "base/vitale_decode.h"
#include "support/test_file.h"

#include <QByteArray>
#include <QSet>
#include <gtest/gtest.h>

using namespace kelvora;

namespace
{

QByteArray demoFile(const char* name)
{
    return readTestFile(QStringLiteral(KELVORA_DEMO_DIR "/") + QString::fromUtf8(name));
}

// "table.code" keys of the [Dictionnaire] section that carry a label.
QSet<QString> dictionaryKeys()
{
    QSet<QString> keys;
    bool inSection = false;
    for (const QByteArray& raw : demoFile("dictionnaire.ini").split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inSection = line == "[Dictionnaire]";
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (inSection && !line.startsWith(';') && eq > 0 && eq + 1 < line.size())
            keys.insert(QString::fromLatin1(line.left(eq)));
    }
    return keys;
}

// The card stores the NIR as 13 digits, a space and the key 97 - (number mod 97).
bool validNir(const QString& nir)
{
    if (nir.size() != 16 || nir[13] != QLatin1Char(' '))
        return false;
    bool digits = false;
    bool keyDigits = false;
    const qulonglong number = nir.left(13).toULongLong(&digits);
    const int key = nir.mid(14).toInt(&keyDigits);
    return digits && keyDigits && key == 97 - static_cast<int>(number % 97);
}

VitaleRecord decodeDemo(const char* name)
{
    const VitaleDecodeResult result = decodeVitaleDocument(demoFile(name));
    EXPECT_TRUE(result.ok()) << result.reason.toStdString();
    return result.record.value_or(VitaleRecord{});
}

void expectEveryLookupLabelled(const VitaleRecord& record)
{
    const QSet<QString> keys = dictionaryKeys();
    for (const WalkStep& step : record.walk) {
        if (const auto* lookup = std::get_if<DictionaryLookup>(&step)) {
            const QString key = QString::number(lookup->table) + QLatin1Char('.') + lookup->code;
            EXPECT_TRUE(keys.contains(key)) << "no label for " << key.toStdString();
        }
    }
}

TEST(DemoCard, FamilyOfThree)
{
    const VitaleRecord record = decodeDemo("carte.xml");
    ASSERT_EQ(record.appli_xml_cnt2, 3);
    ASSERT_EQ(record.appli_xml_ext.size(), 3);
    EXPECT_FALSE(record.carte_numserie.isEmpty());

    const QStringList names = {QStringLiteral("BÉRANGER François"),
                               QStringLiteral("BÉRANGER Hélène"), QStringLiteral("BÉRANGER Zoé")};
    int mutual = 0;
    int cmu = 0;
    for (int i = 0; i < 3; ++i) {
        const QStringList& e = record.appli_xml_ext[i];
        EXPECT_EQ(e[slot::nomUsuel] + QLatin1Char(' ') + e[slot::prenomUsuel], names[i]);
        EXPECT_TRUE(validNir(e[slot::nir])) << e[slot::nir].toStdString();
        EXPECT_EQ(e[slot::naissance].size(), 8);
        EXPECT_TRUE(e[slot::droits].startsWith(QStringLiteral("- droits ouverts du ")));
        mutual += e[slot::mutuelle].isEmpty() ? 0 : 1;
        cmu += e[slot::cmu].isEmpty() ? 0 : 1;
    }
    EXPECT_EQ(mutual, 1);
    EXPECT_EQ(cmu, 1);
    // Long enough that the certificate splits it, short of a third piece.
    EXPECT_GT(record.appli_xml_ext[0][slot::libelleExo].size(), 150);
    EXPECT_LE(record.appli_xml_ext[0][slot::libelleExo].size(), 300);
    EXPECT_EQ(record.appli_xml_ext[2][slot::rangDeNaissance], QStringLiteral("2"));
    expectEveryLookupLabelled(record);
}

TEST(DemoCard, TenBeneficiaries)
{
    const VitaleRecord record = decodeDemo("carte-10.xml");
    ASSERT_EQ(record.appli_xml_cnt2, 10);
    ASSERT_EQ(record.appli_xml_ext.size(), 10);
    for (const QStringList& e : record.appli_xml_ext) {
        EXPECT_FALSE(e[slot::prenomUsuel].isEmpty());
        EXPECT_TRUE(validNir(e[slot::nir])) << e[slot::nir].toStdString();
        EXPECT_FALSE(e[slot::droits].isEmpty());
    }
    expectEveryLookupLabelled(record);
}

TEST(DemoCard, DictionaryIsWindows1252)
{
    EXPECT_TRUE(demoFile("dictionnaire.ini").contains("1.01=R\xe9gime g\xe9n\xe9ral\n"));
}

} // namespace
