// Answers the "which kind of document" question from a script (cancel unless told) and
// records what was offered, so that no test waits on a person.
#pragma once

#include <QList>
#include <QStringList>

#include "new_type_chooser.h"

class ScriptedChooser final : public NewTypeChooser {
public:
    ScriptedChooser() : m_before(SetNewTypeChooser(this)) {}
    ~ScriptedChooser() override { SetNewTypeChooser(m_before); }
    int Choose(const QStringList& names) override {
        asked << names;
        return answer;
    }
    QList<QStringList> asked;
    int answer = -1;

private:
    NewTypeChooser* m_before;
};
