// The tables that make up the program's resources, one file each.
#pragma once

#include <span>

#include "resources.h"

std::span<const StringResource> StringTable();
std::span<const MenuResource> MenuTable();
std::span<const ToolBarResource> ToolBarTable();
std::span<const AcceleratorResource> AcceleratorTable();
