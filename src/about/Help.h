#pragma once
// The Help menu's ways out of the program: the questions and answers beside it, shown by
// the desktop's browser, and a mail to support with the version text.

namespace Help {

// A browser that fails to start is the desktop's to tell: this never fails.
void showContents();
void writeMail();

} // namespace Help
