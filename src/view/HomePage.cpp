#include "BrewdeckView.h"

void CBrewdeckView::OnSetHome()
{
}

void CBrewdeckView::OnRun()
{
}
