// The independent checks of the card's exports (tests/fhir/check.js on Node.js): two FHIR R4
// validators on each bundle, the project's JSON Schema on each card record. One process checks
// a whole table's files, so the validators load once.
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#ifndef KELVORA_EXPORT_CHECKS
#error "the suite defines KELVORA_EXPORT_CHECKS (tests/fhir) and KELVORA_CARD_SCHEMA"
#endif

namespace kelvora::testing
{

struct ExportCheck {
    bool passed = false;
    QString output; // every error, then one summary line per file
};

inline ExportCheck checkExports(const QStringList& cardRecords, const QStringList& fhirBundles)
{
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (node.isEmpty())
        return {false, QStringLiteral("node introuvable : lancez scripts/install-deps.sh")};
    QStringList arguments{QStringLiteral(KELVORA_EXPORT_CHECKS "/check.js"),
                          QStringLiteral("--schema"), QStringLiteral(KELVORA_CARD_SCHEMA)};
    if (!cardRecords.isEmpty())
        arguments << QStringLiteral("--json") << cardRecords;
    if (!fhirBundles.isEmpty())
        arguments << QStringLiteral("--fhir") << fhirBundles;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(node, arguments);
    const bool finished = process.waitForFinished(120000);
    ExportCheck check;
    check.output = QString::fromUtf8(process.readAll());
    if (check.output.contains(QStringLiteral("Cannot find module")))
        check.output +=
            QStringLiteral("\nles validateurs manquent : lancez scripts/install-deps.sh");
    check.passed =
        finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return check;
}

} // namespace kelvora::testing
