#pragma once
// Ending the process. The user-interface library's window thread owns its
// toolkit objects until the very end, so static destructors must not run:
// the engine flushes its streams and leaves through _exit.

// Flushes standard output, standard error and every C stream, then ends the
// process with `status`.
[[noreturn]] void qvEndProcess(int status);
