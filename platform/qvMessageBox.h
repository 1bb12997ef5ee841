#pragma once
// The engine's message boxes. The engine links no toolkit: when the
// user-interface library is loaded and exports
//   extern "C" int CvMessageBox(const char* text, const char* caption, int kind)
// the box is shown by it; otherwise the text goes to standard error and the
// box answers with its safe default. `kind` combines one button set and one
// icon with the numbering of the Windows message-box flags, and the answer
// uses the Windows button numbers, so both sides agree without a header.

#include <string>

namespace qvMessageBox {

// Button sets.
constexpr int kOk = 0x0;
constexpr int kOkCancel = 0x1;
constexpr int kAbortRetryIgnore = 0x2;
constexpr int kYesNoCancel = 0x3;
constexpr int kYesNo = 0x4;
constexpr int kRetryCancel = 0x5;
// Icons.
constexpr int kIconStop = 0x10;
constexpr int kIconQuestion = 0x20;
constexpr int kIconWarning = 0x30;
constexpr int kIconInformation = 0x40;

// Answers.
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerAbort = 3;
constexpr int kAnswerRetry = 4;
constexpr int kAnswerIgnore = 5;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

using BoxFunction = int (*)(const char* text, const char* caption, int kind);

// Makes `box` the provider of every later box (null: back to the console).
void bind(BoxFunction box);

// Shows the box and returns the button chosen.
int show(const std::string& text, const std::string& caption, int kind);

// The answer a box gives when nobody can see it: OK, Abort, No or Cancel,
// whichever is the most cautious of its buttons.
int safeDefault(int kind);

}  // namespace qvMessageBox
