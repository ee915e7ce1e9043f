#pragma once
// The profile editor's pictures, drawn in code: a handset with a gear for the banner and a small
// handset for each entry of the profile list.
#include <QIcon>
#include <QPixmap>

namespace lumira {

// 32 × 32, transparent around the drawing.
QPixmap ProfilesBannerPicture();
// 16 × 16, transparent around the drawing.
QIcon ProfileEntryIcon();

} // namespace lumira
