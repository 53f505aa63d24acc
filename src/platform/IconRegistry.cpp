#include "platform/IconRegistry.h"

#include <map>

namespace {

std::map<unsigned, QIcon>& Icons()
{
    static std::map<unsigned, QIcon> icons;
    return icons;
}

} // namespace

void AfxRegisterIcon(unsigned id, const QIcon& icon)
{
    Icons()[id] = icon;
}

QIcon AfxLoadIcon(unsigned id)
{
    auto it = Icons().find(id);
    return it == Icons().end() ? QIcon() : it->second;
}
