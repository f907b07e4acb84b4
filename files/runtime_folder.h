#pragma once
// Qt's runtime folder. A GUI application (the window, or the offscreen one
// the tools draw with) asks for it as it starts; without XDG_RUNTIME_DIR Qt
// prints "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to ..." and
// uses TMPDIR/runtime-USER, which is what a program started from ssh, cron
// or runuser meets. Called before the application is made, this sets the
// variable to that same folder, created for the user alone (0700) when
// missing, so standard error carries only the program's own messages.
// A folder there that is not the user's own or not 0700 is left to Qt,
// which then says what is wrong with it.

namespace tavro {

void provideRuntimeFolder();

}  // namespace tavro
