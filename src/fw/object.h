// The root of the program's polymorphic classes: what a document passes to its views as an
// update's object, and what an archive reads and writes.
#pragma once

class CArchive;

class CObject {
public:
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar);
};
