#include "StatusBar.h"

#include "CommandIds.h"
#include "LockKeys.h"
#include "StringTable.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>

namespace fw {

StatusBar::StatusBar(QWidget *parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("statusBar"));
    // The frames that carry a status bar here have a fixed size.
    setSizeGripEnabled(false);
    // Room after the last pane, where a size grip would otherwise be.
    setContentsMargins(0, 0, 3, 0);
}

StatusBar::~StatusBar() = default;

bool StatusBar::setIndicators(const QList<int> &ids)
{
    if (ids.isEmpty() || ids.count(ids::ID_SEPARATOR) > 1 || !m_panes.isEmpty())
        return false;
    bool lockKeys = false;
    for (int id : ids) {
        auto *label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (id == ids::ID_SEPARATOR) {
            label->setObjectName(QStringLiteral("messagePane"));
            label->setMinimumWidth(1);
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            addWidget(label, 1);
            m_messagePane = label;
        } else {
            label->setObjectName(QStringLiteral("pane_%1").arg(id));
            label->setAlignment(Qt::AlignCenter);
            // An indicator keeps its width whether it shows its text or not.
            const int textWidth = label->fontMetrics().horizontalAdvance(StringTable::load(id));
            label->setFixedWidth(textWidth + 2 * label->frameWidth() + label->fontMetrics().averageCharWidth());
            addPermanentWidget(label);
            lockKeys = lockKeys || id == ids::ID_INDICATOR_CAPS || id == ids::ID_INDICATOR_NUM
                || id == ids::ID_INDICATOR_SCRL;
        }
        m_panes.append({id, label});
    }
    setMessage(QString());

    // Only the X server tells the lock keys; other display backends (and the
    // offscreen one of the tests) leave the indicators empty.
    if (lockKeys && QGuiApplication::platformName() == QLatin1String("xcb")) {
        m_lockKeys = new platform::LockKeyMonitor(this);
        connect(m_lockKeys, &platform::LockKeyMonitor::changed, this, &StatusBar::showLockKeys);
        showLockKeys(m_lockKeys->state());
    }
    return true;
}

int StatusBar::paneId(int index) const
{
    return index >= 0 && index < m_panes.size() ? m_panes.at(index).id : -1;
}

int StatusBar::commandToIndex(int id) const
{
    for (qsizetype i = 0; i < m_panes.size(); ++i) {
        if (m_panes.at(i).id == id)
            return int(i);
    }
    return -1;
}

QString StatusBar::paneText(int index) const
{
    return index >= 0 && index < m_panes.size() ? m_panes.at(index).label->text() : QString();
}

void StatusBar::setPaneText(int index, const QString &text)
{
    if (index >= 0 && index < m_panes.size())
        m_panes.at(index).label->setText(text);
}

void StatusBar::setMessage(const QString &text)
{
    if (m_messagePane)
        m_messagePane->setText(text.isEmpty() ? StringTable::load(ids::IDS_IDLEMESSAGE) : text);
}

QString StatusBar::message() const
{
    return m_messagePane ? m_messagePane->text() : QString();
}

void StatusBar::showLockKeys(const platform::LockKeyState &state)
{
    const std::pair<int, bool> keys[] = {
        {ids::ID_INDICATOR_CAPS, state.capsLock},
        {ids::ID_INDICATOR_NUM, state.numLock},
        {ids::ID_INDICATOR_SCRL, state.scrollLock},
    };
    for (const auto &[id, on] : keys) {
        const int index = commandToIndex(id);
        if (index >= 0)
            setPaneText(index, on ? StringTable::load(id) : QString());
    }
}

} // namespace fw
