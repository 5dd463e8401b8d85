#pragma once

namespace horalux {

// Makes the status displays known to screen readers by what they are: the sky plot and the
// activity light as pictures, the signal graph as a chart. Their names say what they show (the
// widgets keep them current) and their descriptions are their bubble tips. Safe to call more
// than once.
void InstallDisplayAccessibility();

}  // namespace horalux
