// The program's resources: the tables handed to the framework at start, and its icon.
#pragma once

#include <QIcon>

struct ResourceTables;

// Also makes the program's images (toolbar buttons, the icon) reachable as Qt resources.
const ResourceTables& KestrinResources();
// The program's own icon, a kestrel over a compound file, in the sizes drawn for it.
QIcon KestrinIcon();
