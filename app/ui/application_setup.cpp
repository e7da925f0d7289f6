#include "ui/application_setup.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTranslator>

namespace kelvora::ui
{

bool installFrenchTranslations(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_fr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void installWindowIcon()
{
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("kelvora"), QIcon(QStringLiteral(":/icons/kelvora.svg"))));
}

void applyLook()
{
    QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"));
    if (style == nullptr)
        return;
    QApplication::setStyle(style);
    QPalette light = style->standardPalette();
    light.setColor(QPalette::Window, Qt::white);
    light.setColor(QPalette::Base, Qt::white);
    light.setColor(QPalette::Highlight, QColor(0x1f, 0x6f, 0xd1));
    // Greyed and hint texts stay readable on white (at least 4.5:1).
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText,
                                           QPalette::ButtonText})
        light.setColor(QPalette::Disabled, role, QColor(0x59, 0x59, 0x59));
    light.setColor(QPalette::PlaceholderText, QColor(0x59, 0x59, 0x59));
    QApplication::setPalette(light);
}

} // namespace kelvora::ui
