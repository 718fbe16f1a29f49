#pragma once

#include <QIcon>
#include <QPixmap>

namespace pa::artwork {

// A loudspeaker seen from the side sending sound-wave arcs, at the usual icon sizes.
QIcon windowIcon();

// One icon size on its own, size x size pixels.
QPixmap speakerPixmap(int size);

// The 100 x 100 emblem of the output frame, black and white on a silver ground, in logical
// pixels at the given device pixel ratio.
QPixmap emblem(qreal devicePixelRatio = 1.0);

} // namespace pa::artwork
