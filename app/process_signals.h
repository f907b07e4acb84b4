#pragma once
// How the window's process meets signals. SIGTERM, SIGHUP and SIGINT end it
// the normal way: the event loop quits on the UI thread, the window closes
// and a running recording is finished under its name. SIGXFSZ is ignored,
// as in the tools: a write past a file-size limit then fails with "File too
// large" and is reported like any failed write, instead of ending the
// program with the trained faces lost.

namespace tavro {

// Once the application exists, before its event loop runs.
void handleProcessSignals();

}  // namespace tavro
