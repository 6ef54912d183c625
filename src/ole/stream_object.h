// IStream over a stream node. Streams are always direct: what they write is at once part of
// the storage they were opened from.
#pragma once

#include "element_node.h"

class StorageObject;

HRESULT CreateStreamObject(StorageObject* parent, NodePtr node, DWORD mode, IStream** ppstm);
