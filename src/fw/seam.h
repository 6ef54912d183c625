// A test seam: one replaceable presenter of a kind (message boxes, file dialogs, the beep,
// ...). The real one serves unless a test has put its own in place.
#pragma once

template <class Presenter, class Real> class Seam {
public:
    // Puts presenter in place (null: the real one again); returns the one before.
    Presenter* Set(Presenter* presenter) {
        Presenter* before = m_current;
        m_current = presenter ? presenter : &m_real;
        return before;
    }
    Presenter* operator->() const { return m_current; }

private:
    Real m_real;
    Presenter* m_current = &m_real;
};
