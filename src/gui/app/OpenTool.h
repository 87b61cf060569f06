// Starting an outside program on a file or folder: the tool the user named
// in the settings ("ToolEditor", "ToolFiler", ...) when that file exists,
// else the desktop's own handler for the path (xdg-open through
// QDesktopServices). The path goes to the tool as one argument, so blanks
// and quotes in it need no quoting. GUI thread.
#pragma once

#include <QString>

namespace quillet {

// Opens `target` (a path, a web address, or "MailTo:" + a mail address)
// with `tool` when `tool` names an existing file, else with the desktop's
// handler. False when the program could not be
// started or no handler took the path.
bool OpenWithTool(const QString& tool, const QString& target);

// The status message of a failed open: "\" path \"を開けませんでした".
QString OpenFailedMessage(const QString& target);

}  // namespace quillet
