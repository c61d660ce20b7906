#pragma once

#include <functional>
#include <unordered_map>

namespace fw {

class CommandUi;

// An object that can handle commands by id: the view, the document, the frame
// and the application. Each binds its handlers once, in its constructor, in a
// table by command id; the frame routes a command to the first target that has a
// handler for it (see FrameWindow::routeCommand).
class CommandTarget
{
public:
    CommandTarget() = default;
    CommandTarget(const CommandTarget &) = delete;
    CommandTarget &operator=(const CommandTarget &) = delete;
    virtual ~CommandTarget() = default;

    bool handlesCommand(int id) const;
    bool handlesUpdate(int id) const;

    // Run this target's own handler; false when it has none for the id.
    bool runCommand(int id);
    bool runUpdate(CommandUi &ui);

protected:
    // A second binding of the same id on the same target is a programming
    // error: it is refused with a warning and the first one stays.
    void onCommand(int id, std::function<void()> handler);
    void onUpdateCommand(int id, std::function<void(CommandUi &)> handler);

private:
    std::unordered_map<int, std::function<void()>> m_commands;
    std::unordered_map<int, std::function<void(CommandUi &)>> m_updates;
};

} // namespace fw
