#include <QApplication>

#include "kestrin_app.h"
#include "kestrin_resources.h"
#include "platform_setup.h"
#include "resources.h"

int main(int argc, char* argv[]) {
    QApplication qtApp(argc, argv);
    AfxSetResources(&KestrinResources());
    LoadQtTranslations(&qtApp);
    MapJapaneseFonts();
    CKestrinApp theApp;
    return theApp.Run();
}
