#pragma once
// What a name leads to, folders made, the program's folder and Qt's runtime
// folder, by the bytes of the name (see native_names.h): Qt's own file
// functions would turn raw bytes into U+FFFD.

#include <QString>

namespace tavro {

enum class EntryKind { Nothing, File, Folder, Other };

// What the name leads to, links followed; Nothing also when it cannot be
// looked up.
EntryKind entryKind(const QString& path);
inline bool isFolder(const QString& path) { return entryKind(path) == EntryKind::Folder; }

// The system's reason when the folder's entries cannot be listed; empty
// when they can.
QString folderUnreadableReason(const QString& path);

// Creates the folder and any missing parents (an existing folder is fine).
// Throws Error(Platform) "Cannot create the WHAT PATH: reason".
void makeFolder(const QString& path, const QString& what = QStringLiteral("folder"));

// The path made absolute against the current folder and cleaned, its bytes
// kept.
QString absolutePath(const QString& path);

// The folder of the running executable, without a trailing separator, where
// the face files live by default. Needs a QCoreApplication.
QString executableDirectory();

// Without XDG_RUNTIME_DIR, a GUI application (the window, or the offscreen
// one the tools draw with) prints "QStandardPaths: XDG_RUNTIME_DIR not set,
// defaulting to ..." as it starts, as from ssh, cron or runuser, and uses
// TMPDIR/runtime-USER. Called before the application is made, this sets the
// variable to that same folder, created for the user alone (0700) when
// missing, so standard error carries only the program's own messages. A
// folder there that is not the user's own or not 0700 is left to Qt, which
// then says what is wrong with it.
void provideRuntimeFolder();

}  // namespace tavro
