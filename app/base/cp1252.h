// Windows-1252 ("ANSI" on French Windows) text for the card-reader library and its files.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kelvora::reader
{

// Characters that Windows-1252 cannot hold become "?".
QByteArray toCp1252(const QString& text);

// Every byte has a character; the five bytes Windows-1252 leaves unassigned map to U+0081 etc.
QString fromCp1252(QByteArrayView bytes);

} // namespace kelvora::reader
