#pragma once

#include <QSize>

class QDialog;

namespace DialogSizing {

// Fixes the dialog at its design client size, or larger where its layout
// needs more room (another font, another device scale), so that every
// control keeps at least its natural height: a fixed minimum alone would let
// the window squeeze the layout below it. The size can then not be changed by
// the user, as a dialog without minimise or maximise box should be. A dialog
// that would be taller than its screen scrolls its controls instead, so the
// buttons at its bottom stay within reach. Called again after controls were
// shown or hidden, it fits the dialog to them anew.
void fixSize(QDialog* dialog, QSize design);

} // namespace DialogSizing
