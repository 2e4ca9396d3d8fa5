#include "platform/ui/JapaneseUi.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace JapaneseUi {

void install(QApplication& app)
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"));
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("MS PMincho"), QStringLiteral("IPAPMincho"));
    QFont::insertSubstitution(QStringLiteral("MS Mincho"), QStringLiteral("IPAMincho"));
    QFont::insertSubstitution(QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic"));

    // Japanese text in the default font must not fall back to a font without kana.
    QFont base = app.font();
    base.setFamilies({base.family(), QStringLiteral("IPAPGothic")});
    app.setFont(base);

    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);
    else
        delete translator;
}

} // namespace JapaneseUi
