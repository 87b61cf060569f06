// The program's entry: single instance, Japanese texts in Qt's own dialogs,
// the font names the settings use mapped to installed fonts, the main window,
// and the close sequence on a termination signal or the end of the session.
#pragma once

namespace quillet {

// The exit status when the start-up password was wrong or cancelled.
inline constexpr int kExitStartupRefused = 1;

// Runs the program; the exit status is 0, or kExitStartupRefused.
int RunQuillet(int argc, char** argv);

// "FixedSys" and "MS UI Gothic" name fonts that Linux does not have; map them
// to installed Japanese fonts whose full-width cells are two half-width cells.
void InstallFontSubstitutions();

}  // namespace quillet
