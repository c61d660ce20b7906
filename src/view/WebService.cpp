#include "BrewdeckView.h"

#include "CommandUi.h"

void CBrewdeckView::OnWebStart()
{
    m_bServerRunning = true;
}

void CBrewdeckView::OnWebStop()
{
    m_bServerRunning = false;
}

void CBrewdeckView::OnUpdateWebStart(fw::CommandUi &ui)
{
    ui.enable(!m_bServerRunning);
}

void CBrewdeckView::OnUpdateWebStop(fw::CommandUi &ui)
{
    ui.enable(m_bServerRunning);
}
