#pragma once

namespace horalux {

// Settles how the program talks to the window system, before the application object connects
// to it.
//
// On X11, Qt hands each repaint to the server through shared memory, and before the next one
// waits for the server to have read it: a round trip, with two thread wake-ups, for every
// repaint. The program's repaints are small and come a few times a second (a clock, a few
// fields, a light that flashes with each burst of sentences), so it sends their pixels over
// the connection instead (QT_XCB_NO_MITSHM=1). An environment that sets QT_XCB_NO_MITSHM itself
// keeps its choice; other window systems ignore it.
void PrepareWindowSystem();

}  // namespace horalux
