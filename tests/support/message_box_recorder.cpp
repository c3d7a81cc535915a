#include "message_box_recorder.h"

TMessageBoxRecorder::TMessageBoxRecorder()
    : Scope(MessageBoxSeam, [this](const std::string& text, const std::string& caption, TMessageButtons buttons) {
          Messages.push_back({text, caption, buttons});
          if (buttons == mbOK) return mrOK;
          if (Answers.empty()) return mrYes;
          TMessageResult answer = Answers.front();
          Answers.pop_front();
          return answer;
      }) {}
