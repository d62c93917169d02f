#pragma once
// The 16 by 16 glyphs of the window's buttons, drawn in code.
#include <QIcon>

namespace pelkano {

enum class Glyph { Preview, PrinterSetup, Print, PrintWithAnswers, Close, SavePdf };

QPixmap glyphPixmap(Glyph glyph);
QIcon glyphIcon(Glyph glyph);

}  // namespace pelkano
