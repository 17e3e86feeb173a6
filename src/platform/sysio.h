#pragma once

// The few system calls that put the user's data on disk, in one place, so that tests can make any of
// them fail as a full or broken disk would (the way SQLite's I/O error tests do).
#include <sys/types.h>

namespace sysio {

// Writes all n bytes, retrying short writes and interruptions; the bytes written, or -1 (errno).
ssize_t writeAll(int fd, const void* data, size_t n);
int fsync(int fd);
// Flushes a folder's entries (after a rename into it); errors of file systems that cannot do it are
// not errors.
int fsyncDir(const char* path);
int rename(const char* from, const char* to);
// Renames unless to exists (errno EEXIST then); never replaces anything.
int renameNoReplace(const char* from, const char* to);

// Exchanges two existing names in one step (both stay); errno EINVAL where the file system cannot.
int exchange(const char* a, const char* b);

// Fault injection for tests: every n-th call of the chosen kind fails with err (0 switches it off);
// with once, only the n-th.
enum class Op { Write, Fsync, Rename };
void failEvery(Op op, int n, int err, bool once = false);
void clearFaults();
// How many calls of op were made since the last clearFaults().
int calls(Op op);

} // namespace sysio
