// The program's resource tables, handed to the framework at start.
#pragma once

struct ResourceTables;

const ResourceTables& KestrinResources();
