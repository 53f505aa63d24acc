#include "platform/MessageBox.h"

#include <cstdio>
#include <new>

namespace {

std::string& AppName()
{
    static std::string name = "velquor-model-maker";
    return name;
}

int AnswerOnStandardError(const std::string& text, unsigned style)
{
    std::fprintf(stderr, "%s: %s\n", AppName().c_str(), text.c_str());
    switch (style & MB_TYPEMASK) {
    case MB_YESNO:
        return IDNO;
    case MB_YESNOCANCEL:
    case MB_OKCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler = AnswerOnStandardError;
    return handler;
}

} // namespace

int AfxMessageBox(const std::string& text, unsigned style)
{
    return Handler()(text, style);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler previous = std::move(Handler());
    Handler() = handler ? std::move(handler) : MessageBoxHandler(AnswerOnStandardError);
    return previous;
}

bool RunReportingNoMemory(const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const std::bad_alloc&) {
        AfxMessageBox(kNoMemoryMessage, MB_ICONERROR);
        return false;
    }
}

const std::string& AfxGetAppName()
{
    return AppName();
}

void AfxSetAppName(const std::string& name)
{
    AppName() = name;
}

namespace {

std::function<void()>& BeepHandler()
{
    static std::function<void()> handler;
    return handler;
}

} // namespace

void MessageBeep()
{
    if (BeepHandler())
        BeepHandler()();
}

void SetMessageBeepHandler(std::function<void()> handler)
{
    BeepHandler() = std::move(handler);
}
