// The program's resource ids: menus, toolbars, document templates, dialogs, controls and
// its own commands. The framework's commands (New, Open, Copy, ...) are in framework_ids.h;
// the commands the document carries out and the tree's context menu are declared beside them.
#pragma once

#include "document_ids.h"
#include "framework_ids.h"
#include "grid_ids.h"
#include "strmdef_ids.h"
#include "tree_ids.h"

// Menus, toolbars and accelerators, and the strings of the main frame and the templates.
constexpr UINT IDR_MAINFRAME = 128;
constexpr UINT IDR_KESTRITYPE = 129;
constexpr UINT IDR_STRMDEFTYPE = 130;

// Commands.
constexpr UINT ID_STRMDEF_PLACE = 32790;
