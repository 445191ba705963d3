#pragma once

#include <QString>

// Renders what a player sees into `folder` (offscreen is fine): the window group, the group with
// the quit question over it, a one-button and a two-button message box, and the progress bar at
// 30 %. Returns false when a picture cannot be made or written.
bool RenderScreenshots(const QString& folder);
