#pragma once
// What a name leads to, folders made, the program's folder and Qt's runtime
// folder, by the bytes of the name (see native_names.h): Qt's own file
// functions would turn raw bytes into U+FFFD.

#include <QString>

namespace tavro {

enum class EntryKind { Nothing, File, Folder, Other };

// What the name leads to, links followed; Nothing also when it cannot be looked up.
EntryKind entryKind(const QString& path);
inline bool isFolder(const QString& path) { return entryKind(path) == EntryKind::Folder; }

// The system's reason when the folder's entries cannot be listed; empty when they can.
QString folderUnreadableReason(const QString& path);

// Creates the folder and any missing parents (an existing folder is fine).
// Throws Error(Platform) "Cannot create the WHAT PATH: reason".
void makeFolder(const QString& path, const QString& what = QStringLiteral("folder"));

// The path made absolute against the current folder and cleaned, its bytes kept.
QString absolutePath(const QString& path);

// The running executable's folder (no trailing separator), the face files' default; needs a QCoreApplication.
QString executableDirectory();

// Sets an unset XDG_RUNTIME_DIR, before the application is made, to the
// folder Qt would take (TMPDIR/runtime-USER, made 0700 when missing): started
// from ssh, cron or runuser, a GUI application would print Qt's warning. A
// folder there that is not the user's own 0700 one is left for Qt to report.
void provideRuntimeFolder();

}  // namespace tavro
