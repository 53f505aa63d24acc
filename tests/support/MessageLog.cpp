#include "support/MessageLog.h"

MessageLog::MessageLog()
{
    m_previous = SetMessageBoxHandler([this](const std::string& text, unsigned style) {
        m_boxes.push_back({text, style});
        if (!m_answers.empty()) {
            int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        switch (style & MB_TYPEMASK) {
        case MB_YESNO:
            return int(IDNO);
        case MB_YESNOCANCEL:
        case MB_OKCANCEL:
            return int(IDCANCEL);
        default:
            return int(IDOK);
        }
    });
}

MessageLog::~MessageLog()
{
    SetMessageBoxHandler(m_previous);
}

std::vector<std::string> MessageLog::Texts() const
{
    std::vector<std::string> texts;
    for (const Box& b : m_boxes)
        texts.push_back(b.text);
    return texts;
}
