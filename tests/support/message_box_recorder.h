#pragma once

#include "platform/message_box.h"
#include "platform/seam.h"

#include <deque>
#include <string>
#include <vector>

struct TShownMessage {
    std::string Text;
    std::string Caption;
    TMessageButtons Buttons;
};

// Records every message box shown while it lives and answers them: questions
// take the answers queued with SetNextAnswer in order, then Yes.
class TMessageBoxRecorder {
public:
    TMessageBoxRecorder();

    void SetNextAnswer(TMessageResult answer) { Answers.push_back(answer); }
    const std::vector<TShownMessage>& Shown() const { return Messages; }
    size_t Count() const { return Messages.size(); }
    const TShownMessage& Last() const { return Messages.back(); }
    void Clear() { Messages.clear(); }

private:
    std::vector<TShownMessage> Messages;
    std::deque<TMessageResult> Answers;
    TScopedSeam<TMessageResult(const std::string&, const std::string&, TMessageButtons)> Scope;
};
