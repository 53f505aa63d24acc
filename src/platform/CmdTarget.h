#pragma once

#include <functional>
#include <map>

// The state a command's update handler sets: enabled, and checked.
class CCmdUI {
public:
    explicit CCmdUI(unsigned id) : m_nID(id) {}

    void Enable(bool on = true) { m_bEnabled = on; }
    void SetCheck(int check = 1) { m_bChecked = check != 0; }

    unsigned m_nID;
    bool m_bEnabled = true;
    bool m_bChecked = false;
};

// What is asked of a command target.
enum class CmdCode {
    Execute, // run the command's handler
    Update,  // run its update handler on the given CCmdUI
    Query,   // only tell whether a handler exists
};

// Something that handles commands by identifier: application, frame, view, document, dialog.
// Handlers are mapped in the constructor; OnCmdMsg offers a command to this target and then,
// in derived classes, to the targets behind it (view, then document, then frame, then application).
class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // True when this target, or one it routes to, has the handler that was asked for.
    virtual bool OnCmdMsg(unsigned id, CmdCode code, CCmdUI* ui);

    // Routes an update: the first update handler on the route decides; a command without one
    // is enabled exactly when some target handles it.
    void UpdateCommand(CCmdUI& ui);

    // Runs a command when it is enabled; false when it is not. An allocation that fails in it
    // ends the command with a message.
    bool ExecuteCommand(unsigned id);

protected:
    template <class T>
    void MapCommand(unsigned id, void (T::*handler)())
    {
        T* self = static_cast<T*>(this);
        m_handlers[id] = [self, handler] { (self->*handler)(); };
    }

    // One handler for the commands first to last, told which one it runs.
    template <class T>
    void MapCommandRange(unsigned first, unsigned last, void (T::*handler)(unsigned))
    {
        T* self = static_cast<T*>(this);
        for (unsigned id = first; id <= last; ++id)
            m_handlers[id] = [self, handler, id] { (self->*handler)(id); };
    }

    template <class T>
    void MapUpdate(unsigned id, void (T::*handler)(CCmdUI*))
    {
        T* self = static_cast<T*>(this);
        m_updaters[id] = [self, handler](CCmdUI* ui) { (self->*handler)(ui); };
    }

    // This target's own handlers only.
    bool OnOwnCmdMsg(unsigned id, CmdCode code, CCmdUI* ui);

private:
    std::map<unsigned, std::function<void()>> m_handlers;
    std::map<unsigned, std::function<void(CCmdUI*)>> m_updaters;
};
