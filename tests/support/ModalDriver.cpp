#include "support/ModalDriver.h"

#include "platform/Dialog.h"
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

constexpr int kPollMs = 10;
constexpr int kPatienceMs = 10000;

void CloseModal(QWidget* w)
{
    if (auto* d = qobject_cast<QDialog*>(w))
        d->reject();
    else
        w->close();
}

} // namespace

struct ModalAnswer::State {
    std::function<bool(QWidget*)> matches;
    std::function<void(QWidget*)> answer;
    QTimer timer;
    int waited = 0;
    bool answered = false;
    bool failOnTimeout = true;
    bool popup = false;
    QPointer<QWidget> dialog;

    void Tick()
    {
        waited += kPollMs;
        if (answered) {
            // The answered dialog must have ended by now.
            if (!dialog || !dialog->isVisible()) {
                timer.stop();
            } else if (waited > kPatienceMs) {
                ADD_FAILURE() << "a dialog stayed open after it was answered: " << dialog->windowTitle().toStdString();
                timer.stop();
                CloseModal(dialog);
            }
            return;
        }
        QWidget* modal = popup ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
        // A dialog that watches a run is not modal, so that the main window can still be closed.
        if (!modal && !popup)
            modal = qobject_cast<QDialog*>(QApplication::activeWindow());
        if (modal && modal->isVisible() && matches(modal)) {
            answered = true;
            waited = 0;
            dialog = modal;
            answer(modal);
            return;
        }
        if (waited > kPatienceMs && failOnTimeout) {
            ADD_FAILURE() << "the expected dialog did not show up";
            timer.stop();
            if (modal)
                CloseModal(modal);
        }
    }
};

ModalAnswer::ModalAnswer(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> answer, bool required,
                         Kind kind)
    : m_state(std::make_shared<State>())
{
    m_state->failOnTimeout = required;
    m_state->popup = kind == Kind::Popup;
    m_state->matches = std::move(matches);
    m_state->answer = std::move(answer);
    State* s = m_state.get();
    QObject::connect(&s->timer, &QTimer::timeout, [s] { s->Tick(); });
    s->timer.start(kPollMs);
}

ModalAnswer::~ModalAnswer() = default;
ModalAnswer::ModalAnswer(ModalAnswer&&) noexcept = default;
ModalAnswer& ModalAnswer::operator=(ModalAnswer&&) noexcept = default;

bool ModalAnswer::Answered() const
{
    return m_state && m_state->answered;
}

ModalAnswer NoModalExpected()
{
    return ModalAnswer([](QWidget*) { return true; },
                       [](QWidget* w) {
                           ADD_FAILURE() << "unexpected dialog: " << w->windowTitle().toStdString();
                           CloseModal(w);
                       },
                       false);
}

ModalAnswer OnPopup(std::function<void(QMenu*)> answer, bool required)
{
    return ModalAnswer([](QWidget* w) { return qobject_cast<QMenu*>(w) != nullptr; },
                       [answer](QWidget* w) { answer(qobject_cast<QMenu*>(w)); }, required, ModalAnswer::Kind::Popup);
}

void ClickMenuItem(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text) {
            QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
            return;
        }
    }
    ADD_FAILURE() << "no item " << text.toStdString() << " in the menu";
    menu->close();
}

void ProcessEvents()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

QWidget* DialogItem(QWidget* dialog, int id)
{
    for (QWidget* w : dialog->findChildren<QWidget*>())
        if (w->property("controlId").isValid() && w->property("controlId").toInt() == id)
            return w;
    ADD_FAILURE() << "no control " << id << " in " << dialog->windowTitle().toStdString();
    return nullptr;
}

QString DialogItemText(QWidget* dialog, int id)
{
    QWidget* w = DialogItem(dialog, id);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* e = qobject_cast<QPlainTextEdit*>(w))
        return e->toPlainText();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    return {};
}

void TypeInto(QWidget* dialog, int id, const QString& text)
{
    auto* edit = qobject_cast<QLineEdit*>(DialogItem(dialog, id));
    ASSERT_NE(edit, nullptr) << "control " << id << " is not an edit";
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void ClickItem(QWidget* dialog, int id)
{
    auto* button = qobject_cast<QAbstractButton*>(DialogItem(dialog, id));
    ASSERT_NE(button, nullptr) << "control " << id << " is not a button";
    // Radio buttons and check boxes answer on their box and caption, at the left.
    bool push = qobject_cast<QPushButton*>(button) != nullptr;
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, push ? QPoint() : QPoint(6, button->height() / 2));
}

bool DropFiles(QWidget* target, const QStringList& paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted();
}

void Do(QWidget* dialog, const std::vector<Step>& steps)
{
    for (const Step& s : steps) {
        if (s.text)
            TypeInto(dialog, s.id, s.text);
        else
            ClickItem(dialog, s.id);
    }
}

int FocusedItem(QWidget* dialog)
{
    QWidget* w = dialog->focusWidget();
    return w && w->property("controlId").isValid() ? w->property("controlId").toInt() : 0;
}

int RunDialog(CDialog& dlg, const std::vector<Step>& steps, const std::function<void(QDialog*)>& seen, int* focus)
{
    if (focus)
        *focus = 0;
    ModalAnswer answer = OnModal<QDialog>([&](QDialog* d) {
        if (seen)
            seen(d);
        Do(d, steps);
        ClickItem(d, IDOK);
        if (d->isVisible()) {
            if (focus)
                *focus = FocusedItem(d);
            ClickItem(d, IDCANCEL);
        }
    });
    const int result = dlg.DoModal();
    EXPECT_TRUE(answer.Answered());
    return result;
}
