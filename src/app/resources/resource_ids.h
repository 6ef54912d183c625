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

constexpr UINT IDC_STRMDEF_COMBO = 136;

// Commands.
constexpr UINT ID_STRMDEF_OPEN = 32784;
constexpr UINT ID_STRMDEF_PLACE = 32790;
constexpr UINT ID_COLUMN_DEFINITION = 32793;
constexpr UINT ID_COLUMN_NAME = 32794;
constexpr UINT ID_COLUMN_VALUE = 32795;
constexpr UINT ID_COLUMN_POSITION = 32796;
constexpr UINT ID_COLUMN_COMMENT = 32797;
