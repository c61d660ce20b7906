#include "CommandTarget.h"

#include "CommandUi.h"

#include <QtGlobal>

namespace fw {

bool CommandTarget::handlesCommand(int id) const
{
    return m_commands.contains(id);
}

bool CommandTarget::handlesUpdate(int id) const
{
    return m_updates.contains(id);
}

bool CommandTarget::runCommand(int id)
{
    const auto it = m_commands.find(id);
    if (it == m_commands.end())
        return false;
    // Copy first: the handler may rebind or destroy this target.
    const auto handler = it->second;
    handler();
    return true;
}

bool CommandTarget::runUpdate(CommandUi &ui)
{
    const auto it = m_updates.find(ui.id());
    if (it == m_updates.end())
        return false;
    it->second(ui);
    return true;
}

void CommandTarget::onCommand(int id, std::function<void()> handler)
{
    if (!m_commands.emplace(id, std::move(handler)).second)
        qWarning("command %d bound twice on one target; the first binding stays", id);
}

void CommandTarget::onUpdateCommand(int id, std::function<void(CommandUi &)> handler)
{
    if (!m_updates.emplace(id, std::move(handler)).second)
        qWarning("update handler for %d bound twice on one target; the first binding stays", id);
}

} // namespace fw
