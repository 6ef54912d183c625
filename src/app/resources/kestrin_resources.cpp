#include "kestrin_resources.h"

#include "resource_tables.h"

const ResourceTables& KestrinResources() {
    static const ResourceTables tables{StringTable(), MenuTable(), ToolBarTable(),
                                       AcceleratorTable(), ":/images/%1.xpm"};
    return tables;
}
