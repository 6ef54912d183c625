#include "platform_setup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void LoadQtTranslations(QCoreApplication* app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase_ja", "qt_ja"}) {
        auto* translator = new QTranslator(app);
        if (translator->load(QString::fromLatin1(name), folder))
            app->installTranslator(translator);
        else
            delete translator;
    }
}

void MapJapaneseFonts() {
    // The IPA fonts have the metrics of the fonts the design names; the others are what
    // is likely to be there when they are not.
    const QStringList gothicFallbacks = {QStringLiteral("Noto Sans Mono CJK JP"),
                                         QStringLiteral("VL Gothic"), QStringLiteral("Monospace")};
    const QStringList proportionalFallbacks = {QStringLiteral("Noto Sans CJK JP"),
                                               QStringLiteral("VL PGothic"),
                                               QStringLiteral("Sans Serif")};
    const QStringList minchoFallbacks = {QStringLiteral("Noto Serif CJK JP"),
                                         QStringLiteral("Serif")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                               QStringList{QStringLiteral("IPAGothic")} + gothicFallbacks);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               QStringList{QStringLiteral("IPAPGothic")} + proportionalFallbacks);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"),
                               QStringList{QStringLiteral("IPAMincho")} + minchoFallbacks);
}

QFont CreateFontIndirect(const LOGFONT& logFont) {
    QFont font(logFont.lfFaceName);
    if (logFont.lfHeight != 0)
        font.setPixelSize(logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight);
    if (logFont.lfWeight != 0)
        font.setWeight(logFont.lfWeight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(logFont.lfItalic);
    return font;
}
