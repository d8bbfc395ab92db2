#pragma once

namespace quimbaro {

class Surface;
class GraphicControl;

// Clears the panel and draws the author credit over it in white.
void DrawAuthorCredit(Surface& surface, GraphicControl& panel);

}  // namespace quimbaro
