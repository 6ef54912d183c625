// The question New asks when there is more than one kind of document: which kind. Asked
// through one replaceable chooser, so that headless tests give the answer.
#pragma once

#include <QStringList>

class NewTypeChooser {
public:
    virtual ~NewTypeChooser() = default;
    // The index of the chosen name, or -1 when the user cancels.
    virtual int Choose(const QStringList& names) = 0;
};

// Replaces the chooser (null: the real dialog); returns the one before.
NewTypeChooser* SetNewTypeChooser(NewTypeChooser* chooser);

int ChooseNewType(const QStringList& names);
