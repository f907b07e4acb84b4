#pragma once
// The hidden files recordings are written to before they take their names,
// and those that a killed program left behind. Their names do not grow with
// the recording's name, so any name the system allows can be recorded to;
// the name meant is kept inside the file (see avi_writer.h).

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tavro {

// A new hidden file ".tavro-rec-XXXXXX.avi" in the folder (raw bytes),
// opened for reading and writing and locked while open, so that the search
// below passes it by; created 0666 less the umask, as any new file. Sets
// path and returns the descriptor, or -1 with errno set.
int createHiddenRecording(const QByteArray& folder, QByteArray& path);

// Finishes each hidden recording in the folder that no program has open
// and gives it a visible name beside it, "NAME (unfinished).avi" for a
// recording to NAME.avi, never replacing a file. One line for each file
// kept, to tell the user.
QStringList keepUnfinishedRecordings(const QString& folder);

}  // namespace tavro
