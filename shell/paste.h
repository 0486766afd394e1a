// The middle-click paste: the text a middle click on the picture pastes is
// typed on the machine's keyboard, as dropped text is.
#pragma once

// The middle button went down at client position (x, y): pastes when it is
// on the picture.
void pasteAt(int x, int y);
