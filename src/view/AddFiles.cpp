#include "BrewdeckView.h"

bool CBrewdeckView::CopyFileInto(const QString &, const QString &)
{
    return false;
}

void CBrewdeckView::OnAddJsp()
{
}

void CBrewdeckView::OnAddClass()
{
}

void CBrewdeckView::OnAddJar()
{
}
