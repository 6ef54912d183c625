// The tree's four item images, drawn here: red cross (error item), folder (storages),
// stream symbol (streams), question mark (unused, kept so the indexes stay as they are).
#pragma once

#include <QIcon>

// The image at index 0 to 3; an empty icon for any other index.
const QIcon& TreeImage(int index);
