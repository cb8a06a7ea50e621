#pragma once
// Drawing the view's picture into an image, without a window:
//   velmar --render OUT.png [--line-height N] [--font FACE] [--size N] FILE...

#include <QImage>
#include <QStringList>

class CVelmarView;

namespace velmar {

// The whole scroll area of `view` as painted by its OnDraw, on white.
// Sides beyond kMaxRenderSide pixels are cut there.
QImage RenderView(CVelmarView& view);
inline constexpr int kMaxRenderSide = 32000;

// The --render command line (without the program name); the exit status.
int RunRender(const QStringList& args);

}  // namespace velmar
