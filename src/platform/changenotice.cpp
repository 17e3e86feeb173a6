#include "platform/changenotice.h"

#include <mutex>

namespace changenotice {

namespace {
std::mutex& guard()
{
    static std::mutex m;
    return m;
}
Listener& current()
{
    static Listener l;
    return l;
}
} // namespace

void setListener(Listener listener)
{
    const std::lock_guard lock(guard());
    current() = std::move(listener);
}

void notify(const QString& path)
{
    Listener l;
    {
        const std::lock_guard lock(guard());
        l = current();
    }
    if (l)
        l(path);
}

} // namespace changenotice
