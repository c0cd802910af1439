#pragma once

#include <QPixmap>

// The pictures of the message dialog's icon pages, drawn in code so that they stay sharp at every
// scale: 0 notice (blue "i"), 1 warning (amber "!"), 2 error (red cross).
enum class PromptIconKind { Notice = 0, Warning = 1, Error = 2 };

QPixmap PromptIcon(PromptIconKind kind, int size, qreal devicePixelRatio = 1.0);
