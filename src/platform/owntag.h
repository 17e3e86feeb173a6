#pragma once

#include <QByteArray>

// The program's own working names (temporary files, part copies of a move) carry this computer's
// short id and the process id, so a clean-up can prove a name is ours and that its process is gone,
// and two computers sharing a collection never make the same name.
namespace owntag {

// Eight hexadecimal digits from the machine id (or the host name where there is none).
QByteArray hostId();
// hostId() + "-" + this process's id.
QByteArray tag();
// Finds a tag ("0123abcd-4242") at the start of text: true when it is this computer's and its process
// no longer runs. Names of other computers and of running processes are never ours to clean.
bool isAbandoned(QByteArrayView text);

} // namespace owntag
