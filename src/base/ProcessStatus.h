#pragma once

namespace tusko {

// What the program asks the system about processes, kept to one place so a
// port needs only another ProcessStatus<Platform>.cpp.

// The id of this process.
long CurrentProcessId();
// True while a process of that id runs, also one of another user; false for
// an id no process has (any more) and for ids that cannot be one.
bool IsProcessRunning(long processId);

}  // namespace tusko
