#pragma once

namespace vc {

// Opens /dev/null on whichever of descriptors 0-2 is closed, as some service managers and cron
// set-ups start programs; otherwise the next pipe or file would take its number and be read or
// written as the console.
void ensureStandardDescriptors();

// Routes `signal` to `handler` unless it was ignored when the program started: a run started
// under nohup must keep ignoring hang-ups. False when it stays ignored.
bool catchUnlessIgnored(int signal, void (*handler)(int));

} // namespace vc
