// Decoding of the patient card's data document into the Vitale record; needs no window.
#pragma once

#include "base/vitale_record.h"

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace kelvora
{

enum class VitaleDecodeFailure {
    None,
    NotParsed,     // not well-formed XML, unsupported encoding, runaway entities
    WrongRoot,     // root element is not T_AsnDonneesVitale
    NoBeneficiary, // listeBenef missing or without a child element
};

struct VitaleDecodeResult {
    std::optional<VitaleRecord> record;
    VitaleDecodeFailure failure = VitaleDecodeFailure::None;
    QString reason; // French, for the log line when the document is unreadable

    bool ok() const { return record.has_value(); }
};

// The bytes go to the parser unchanged; it decodes them by the document's own declaration
// (UTF-8, UTF-16, ISO-8859-1, windows-1252...). Nothing is fetched from outside the document.
VitaleDecodeResult decodeVitaleDocument(QByteArrayView document);

// The document held in the library's zero-filled read buffer: up to the first zero byte,
// or, for a UTF-16 document, up to the first zero code unit (its text is full of zero bytes).
QByteArrayView cardDocumentBytes(QByteArrayView buffer);

// "ddmmyyyy" -> "dd/mm/yyyy"; a shorter text keeps both slashes ("0102" -> "01/02/").
QString cardDate(const QString& text);

} // namespace kelvora
