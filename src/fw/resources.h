// Resources: the program's menus, toolbars, accelerators and strings as tables keyed by their
// numeric ids, handed to the framework once at start. Texts are UTF-8. The framework's own
// strings are found here too when the program does not supply them.
#pragma once

#include <QKeyCombination>
#include <QString>
#include <span>
#include <vector>

#include "framework_ids.h"

struct StringResource {
    UINT id;
    const char* text;
};

// One menu item: a command (id and text), a separator (neither) or a popup (text and items).
struct MenuItem {
    UINT id = 0;
    const char* text = nullptr;
    std::vector<MenuItem> popup;
    bool checked = false;
};

struct MenuResource {
    UINT id;
    std::vector<MenuItem> popups;
};

// Toolbar buttons by command id; 0 is a separator.
struct ToolBarResource {
    UINT id;
    std::vector<UINT> buttons;
};

struct Accelerator {
    QKeyCombination key;
    UINT id;
};

struct AcceleratorResource {
    UINT id;
    std::vector<Accelerator> keys;
};

struct ResourceTables {
    std::span<const StringResource> strings;
    std::span<const MenuResource> menus;
    std::span<const ToolBarResource> toolBars;
    std::span<const AcceleratorResource> accelerators;
    // Where a command's toolbar image lives, with %1 for the command id (a Qt resource path).
    const char* commandImage = nullptr;
};

MenuItem MenuCommand(UINT id, const char* text, bool checked = false);
MenuItem MenuSeparator();
MenuItem MenuPopup(const char* text, std::vector<MenuItem> items);

void AfxSetResources(const ResourceTables* tables);
// The string with that id, or an empty string.
QString AfxLoadString(UINT id);
// Field n of a string made of '\n'-separated fields, or an empty string.
QString AfxExtractSubString(const QString& text, int n);
const MenuResource* AfxFindMenu(UINT id);
const ToolBarResource* AfxFindToolBar(UINT id);
const AcceleratorResource* AfxFindAccelerators(UINT id);
// The Qt resource path of a command's toolbar image, or an empty string.
QString AfxCommandImagePath(UINT id);
