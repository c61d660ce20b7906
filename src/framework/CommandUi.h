#pragma once

namespace fw {

// What an update handler says about one command at one moment: whether it may
// run and whether its menu item carries a check mark.
class CommandUi
{
public:
    explicit CommandUi(int id) : m_id(id) {}

    int id() const { return m_id; }

    void enable(bool on = true) { m_enabled = on; }
    void setCheck(bool on) { m_checked = on; m_checkSet = true; }

    bool isEnabled() const { return m_enabled; }
    bool isChecked() const { return m_checked; }
    // Only commands whose handler sets a check mark get a checkable item.
    bool checkSet() const { return m_checkSet; }

private:
    int m_id;
    bool m_enabled = true;
    bool m_checked = false;
    bool m_checkSet = false;
};

} // namespace fw
