#include "app/ZoomMenu.h"

#include <QAction>

ZoomMenu::ZoomMenu(QAction *percent100, QAction *percent200, QAction *fit) : mItems{percent100, percent200, fit}
{
    for (QAction *item : mItems)
        item->setCheckable(true);
}

LayoutHost::Zoom ZoomMenu::zoom() const
{
    return mItems[0]->isChecked() ? LayoutHost::Zoom::Percent100
           : mItems[1]->isChecked() ? LayoutHost::Zoom::Percent200
                                    : LayoutHost::Zoom::Fit;
}

void ZoomMenu::setZoom(LayoutHost::Zoom zoom)
{
    for (int i = 0; QAction *item : mItems)
        item->setChecked(i++ == int(zoom));
}

bool ZoomMenu::atHundredPercent() const
{
    return mItems[0]->isChecked();
}

WindowSettings::Zoom ZoomMenu::stored() const
{
    using enum WindowSettings::Zoom;
    return mItems[0]->isChecked() ? Percent100 : mItems[1]->isChecked() ? Percent200 : mItems[2]->isChecked() ? Fit : None;
}

void ZoomMenu::restore(WindowSettings::Zoom zoom)
{
    using enum WindowSettings::Zoom;
    setZoom(zoom == Percent200 ? LayoutHost::Zoom::Percent200 : zoom == Fit ? LayoutHost::Zoom::Fit : LayoutHost::Zoom::Percent100);
}
