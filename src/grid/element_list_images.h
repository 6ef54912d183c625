// The element list's two images, drawn here in the style of the tree's: a folder for
// storages (index 0) and a lined page for streams (index 1), each at 32 x 32 for large
// icons and 16 x 16 for small icons and details, on a transparent background.
#pragma once

#include <QIcon>

constexpr int kElementImageStorage = 0;
constexpr int kElementImageStream = 1;

// The image at that index holding both sizes; an empty icon for any other index.
const QIcon& ElementListImage(int index);
