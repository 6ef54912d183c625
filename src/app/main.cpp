#include <QApplication>

#include "kestrin_app.h"
#include "kestrin_resources.h"
#include "platform_setup.h"
#include "resources.h"

namespace {

// Qt's own dialogs (the file dialog's sizes and dates) format with the system locale, which
// Qt reads from the environment as it starts, not with the default locale the application
// sets: name Japanese there for numbers and times. A locale set for everything is kept for
// everything else.
void UseJapaneseFormats() {
    if (const QByteArray all = qgetenv("LC_ALL"); !all.isEmpty()) {
        qputenv("LANG", all);
        qunsetenv("LC_ALL");
    }
    qputenv("LC_NUMERIC", "ja_JP.UTF-8");
    qputenv("LC_TIME", "ja_JP.UTF-8");
}

} // namespace

int main(int argc, char* argv[]) {
    UseJapaneseFormats();
    QApplication qtApp(argc, argv);
    AfxSetResources(&KestrinResources());
    LoadQtTranslations(&qtApp);
    MapJapaneseFonts();
    CKestrinApp theApp;
    return theApp.Run();
}
