#pragma once

#include <QImage>

namespace tidyframe {

// The brand's two images, drawn in code so they stay sharp at every pixel ratio.
namespace BrandArtwork {

// The 18-point folder outline with three dots, black on clear: a mask that the menu bar tints.
QImage menuBarImage(qreal devicePixelRatio);

// The 32-point application mark: a blue gradient tile with a white folder and three dots.
QImage image(qreal devicePixelRatio);

}  // namespace BrandArtwork

}  // namespace tidyframe
