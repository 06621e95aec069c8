#pragma once

#include <QIcon>
#include <QImage>
#include <QList>

namespace TrayImages {

constexpr int kLevels = 6; // 0 idle .. 5 above 62.5 % of full scale
constexpr int kSize = 16;

// Height in pixels of a direction's bar at a level.
int barHeight(int level);

// The tray picture for a download and an upload level: two bars on a dark
// square, download on the left in green, upload on the right in red.
QImage image(int downLevel, int upLevel);

// All 36 pictures, ordered by download level, then upload level, so image
// 6 * down + up shows that pair.
QList<QIcon> icons();

} // namespace TrayImages
