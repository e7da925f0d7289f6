// Shared bits of the card data tests: reading a file, readable QString failure messages.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline QByteArray readTestFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot read " << path.toStdString();
    return file.readAll();
}
