#include "platform/message_box.h"

TSeam<TMessageResult(const std::string&, const std::string&, TMessageButtons)> MessageBoxSeam(
    [](const std::string&, const std::string&, TMessageButtons buttons) { return buttons == mbYesNo ? mrYes : mrOK; });

TMessageResult ShowMessage(const std::string& text, const std::string& caption, TMessageButtons buttons) {
    return MessageBoxSeam(text, caption, buttons);
}

const std::string& ApplicationTitle() {
    static const std::string title = "Pelmor";
    return title;
}

void ShowPlainMessage(const std::string& text) { ShowMessage(text, ApplicationTitle(), mbOK); }

void ReportApplicationError(const std::string& text) { ShowMessage(text, ApplicationTitle(), mbOK); }
