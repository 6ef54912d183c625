// What makes the program look as designed on this system: Qt's own Japanese texts, the
// design's Japanese font names mapped to the installed IPA fonts, and fonts asked for in the
// platform's LOGFONT terms.
#pragma once

#include <QFont>
#include <QString>

class QCoreApplication;

constexpr int SHIFTJIS_CHARSET = 128;

struct LOGFONT {
    int lfHeight = 0; // pixels; negative (character height) is what the program uses
    int lfWeight = 0; // 0 default, 400 normal, 700 bold
    bool lfItalic = false;
    int lfCharSet = 0;
    QString lfFaceName;
};

// Loads Qt's Japanese translations (standard buttons, dialogs) into the application.
void LoadQtTranslations(QCoreApplication* app);
// Maps "ＭＳ ゴシック", "ＭＳ Ｐゴシック" and "ＭＳ 明朝" to the IPA families, with fall-backs.
void MapJapaneseFonts();
QFont CreateFontIndirect(const LOGFONT& logFont);
