#include "kestrin_resources.h"

#include "resource_tables.h"

const ResourceTables& KestrinResources() {
    // The images live in this static library: naming them here keeps them in the program
    // and in every test that uses these tables.
    static const bool imagesLinked = [] {
        Q_INIT_RESOURCE(images);
        return true;
    }();
    static const ResourceTables tables{StringTable(), MenuTable(), ToolBarTable(),
                                       AcceleratorTable(), ":/images/%1.xpm"};
    (void)imagesLinked;
    return tables;
}

QIcon KestrinIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/images/kestrin-%1.png").arg(size), QSize(size, size));
    return icon;
}
