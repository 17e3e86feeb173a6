#pragma once

#include <QString>

// A desktop notification through the freedesktop.org notification service on the session bus.
namespace care {

// Sends summary and body; false (and nothing shown) when no such service runs.
bool notifyDesktop(const QString& summary, const QString& body);

} // namespace care
