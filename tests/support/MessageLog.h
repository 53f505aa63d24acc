#pragma once

#include "platform/MessageBox.h"

#include <deque>
#include <string>
#include <vector>

// Takes over every message box while it lives: records what was shown and answers with the
// queued buttons (IDOK, or the box's "change nothing" answer, when the queue is empty).
class MessageLog {
public:
    struct Box {
        std::string text;
        unsigned style;
    };

    MessageLog();
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    void Answer(int button) { m_answers.push_back(button); }

    const std::vector<Box>& Boxes() const { return m_boxes; }
    std::vector<std::string> Texts() const;
    bool Empty() const { return m_boxes.empty(); }
    // The text of the last box, or "" when none was shown.
    std::string Last() const { return m_boxes.empty() ? std::string() : m_boxes.back().text; }
    void Clear() { m_boxes.clear(); }

private:
    std::vector<Box> m_boxes;
    std::deque<int> m_answers;
    MessageBoxHandler m_previous;
};
