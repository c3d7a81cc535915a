#pragma once

#include "platform/seam.h"

#include <string>

enum TMessageButtons { mbOK, mbYesNo };
enum TMessageResult { mrOK, mrYes, mrNo };

// A modal message box without icon: text, caption and OK or Yes/No. The
// widget layer installs the real box; without it, nothing is shown and the
// box answers OK (Yes for a question).
extern TSeam<TMessageResult(const std::string& text, const std::string& caption, TMessageButtons buttons)>
    MessageBoxSeam;

TMessageResult ShowMessage(const std::string& text, const std::string& caption, TMessageButtons buttons = mbOK);

// The title of the application, the caption of the plain notices.
const std::string& ApplicationTitle();

// A plain notice with the application title as caption and an OK button.
void ShowPlainMessage(const std::string& text);

// The general error report: an error that escaped an event handler.
void ReportApplicationError(const std::string& text);
