#pragma once

#include <QByteArray>
#include <QImage>

namespace picgen {

// The program's icon: a question sheet on a blue tile with a green tick. One description serves the
// scalable SVG and the bitmaps, so the two never drift apart.
QByteArray appIconSvg();
QImage appIcon(int size);

} // namespace picgen
