#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace Translations {

namespace {
QLocale::Language inUse = QLocale::English;
}

QString use(const QStringList &uiLanguages)
{
    static std::vector<std::unique_ptr<QTranslator>> installed;
    inUse = QLocale::English;
    for (const auto &translator : installed)
        QCoreApplication::removeTranslator(translator.get());
    installed.clear();
    for (const QString &language : uiLanguages) {
        const QLocale locale(language);
        if (locale.language() == QLocale::English || locale.language() == QLocale::C)
            return {};
        auto own = std::make_unique<QTranslator>();
        if (!own->load(locale, u"tarnwick"_s, u"_"_s, u":/i18n"_s))
            continue;
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(locale, u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            installed.push_back(std::move(qt));
        installed.push_back(std::move(own));
        for (const auto &translator : installed)
            QCoreApplication::installTranslator(translator.get());
        inUse = locale.language();
        return QLocale::languageToCode(locale.language());
    }
    return {};
}

QLocale locale()
{
    return QLocale(inUse, QLocale::system().territory());
}

} // namespace Translations
