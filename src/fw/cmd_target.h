// Command targets: objects that handle commands by their numeric ids. Each class registers
// its handlers in its constructor, as a message map would list them; a handler registered
// later (by a derived class) takes precedence over an earlier one for the same id.
#pragma once

#include <functional>
#include <vector>

#include "framework_ids.h"
#include "object.h"

class CCmdUI;

class CCmdTarget : public CObject {
public:
    // Offers one command to this target and the ones it routes to. code is CN_COMMAND to
    // carry it out, CN_UPDATE_COMMAND_UI to update ui, or a control notification. With
    // probe set nothing runs: the answer says only whether a handler exists.
    virtual bool OnCmdMsg(UINT id, int code, CCmdUI* ui, bool probe = false);

protected:
    template <class T> void OnCommand(UINT id, void (T::*fn)()) {
        OnCommandRange(id, id, [this, fn](UINT) { (static_cast<T*>(this)->*fn)(); });
    }
    template <class T> void OnCommandRange(UINT first, UINT last, void (T::*fn)(UINT)) {
        OnCommandRange(first, last, [this, fn](UINT id) { (static_cast<T*>(this)->*fn)(id); });
    }
    // An extended handler answers whether it handled the command; false routes it on.
    template <class T> void OnCommandEx(UINT id, bool (T::*fn)(UINT)) {
        AddEntry(CN_COMMAND, id, id,
                 [this, fn](UINT n, CCmdUI*) { return (static_cast<T*>(this)->*fn)(n); });
    }
    template <class T> void OnUpdateCommand(UINT id, void (T::*fn)(CCmdUI*)) {
        OnUpdateCommandRange(id, id, fn);
    }
    template <class T> void OnUpdateCommandRange(UINT first, UINT last, void (T::*fn)(CCmdUI*)) {
        AddEntry(CN_UPDATE_COMMAND_UI, first, last, [this, fn](UINT, CCmdUI* ui) {
            (static_cast<T*>(this)->*fn)(ui);
            return true;
        });
    }
    // A notification (code) of the control with the given id, such as CBN_SELCHANGE.
    template <class T> void OnControl(int code, UINT id, void (T::*fn)()) {
        AddEntry(code, id, id, [this, fn](UINT, CCmdUI*) {
            (static_cast<T*>(this)->*fn)();
            return true;
        });
    }
    void OnCommandRange(UINT first, UINT last, std::function<void(UINT)> fn);

private:
    using Handler = std::function<bool(UINT, CCmdUI*)>;
    struct Entry {
        int code;
        UINT first;
        UINT last;
        Handler handler;
    };
    void AddEntry(int code, UINT first, UINT last, Handler handler);

    std::vector<Entry> m_messageMap;
};
