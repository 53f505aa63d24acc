#pragma once

#include <QApplication>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QDialog;

// Answers a modal dialog from inside its own event loop: while it lives, it waits for the first
// modal widget that matches and runs the answer on it. A dialog still open ten seconds after its
// answer, or none showing up in that time, fails the test and is closed, so no test hangs.
class ModalAnswer {
public:
    // What is waited for: a modal dialog, or a popup such as a context menu.
    enum class Kind { Modal, Popup };

    // required: fail the test when no matching dialog shows up.
    ModalAnswer(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> answer, bool required = true,
                Kind kind = Kind::Modal);
    ~ModalAnswer();
    ModalAnswer(ModalAnswer&&) noexcept;
    ModalAnswer& operator=(ModalAnswer&&) noexcept;

    bool Answered() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

template <class T>
ModalAnswer OnModal(std::function<void(T*)> answer)
{
    return ModalAnswer([](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
                       [answer](QWidget* w) { answer(qobject_cast<T*>(w)); });
}

// Fails the test on any modal dialog that shows up while it lives, and closes it.
ModalAnswer NoModalExpected();

class QMenu;

// Answers the next popup menu (a context menu) from inside its event loop. Without required,
// a menu that never shows up is no failure.
ModalAnswer OnPopup(std::function<void(QMenu*)> answer, bool required = true);
// Clicks the item of a menu with this text, as a user would.
void ClickMenuItem(QMenu* menu, const QString& text);

// Lets queued events run (paints, deferred deletions, idle updates).
void ProcessEvents();

// Controls of a dialog made from a template, by identifier.
QWidget* DialogItem(QWidget* dialog, int id);
QString DialogItemText(QWidget* dialog, int id);
// Replaces an edit's text by typing, as a user would.
void TypeInto(QWidget* dialog, int id, const QString& text);
// Clicks a button with the mouse.
void ClickItem(QWidget* dialog, int id);
// One user action in a dialog: typing text into a field, or clicking the control when text is
// null.
struct Step {
    int id;
    const char* text = nullptr;
};
void Do(QWidget* dialog, const std::vector<Step>& steps);

class CDialog;
// Shows dlg and answers it as a user would: seen (when given) looks at it first, then the steps,
// OK and, when the dialog stays open after a refusal, Cancel. Gives what DoModal gives; focus (when
// given) gets the control that had the focus after the refusal, 0 when there was none.
int RunDialog(CDialog& dlg, const std::vector<Step>& steps, const std::function<void(QDialog*)>& seen = {},
              int* focus = nullptr);
// The identifier of the dialog's control that has the focus, 0 when none has.
int FocusedItem(QWidget* dialog);

// Drags files from the desktop onto target and drops them; false when the drag was refused.
bool DropFiles(QWidget* target, const QStringList& paths);
