#pragma once
// Message boxes answered by a test: every box is recorded and answered from a queue of
// buttons (IDOK when the queue is empty).
#include "framework/MessageBoxes.h"

#include <deque>
#include <string>
#include <vector>

class ScriptedMessageBoxes : public MessageBoxes {
public:
    struct Box {
        std::wstring text;
        std::wstring caption;
        UINT type;
    };

    ScriptedMessageBoxes() : m_use(this) {}

    int Show(HWND, const std::wstring& text, const std::wstring& caption, UINT type) override {
        shown.push_back({text, caption, type});
        if (answers.empty()) return IDOK;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        for (const Box& box : shown) texts.push_back(box.text);
        return texts;
    }

    std::deque<int> answers;
    std::vector<Box> shown;

private:
    MessageBoxes::Override m_use;
};
