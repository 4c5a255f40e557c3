#pragma once
// The View menu's three zoom items: 100 %, 200 % and fit, of which one is checked once the
// settings are loaded. The check is the zoom the window keeps and the settings store.

#include "app/WindowLayout.h"
#include "settings/WindowSettings.h"

class QAction;

class ZoomMenu {
public:
    // Makes the three items checkable.
    ZoomMenu(QAction *percent100, QAction *percent200, QAction *fit);

    // The checked item; none checked fits.
    LayoutHost::Zoom zoom() const;
    void setZoom(LayoutHost::Zoom zoom);
    bool atHundredPercent() const;
    // The checked item as the settings keep it: None before any is checked.
    WindowSettings::Zoom stored() const;
    // Checks the stored zoom; none stored is 100 %.
    void restore(WindowSettings::Zoom zoom);

private:
    QAction *mItems[3];
};
