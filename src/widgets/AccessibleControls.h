#pragma once
// How screen readers see two kinds of control that Qt's own description gets wrong for us:
// an address field is a named group of four octet boxes, and a radio button chosen through the
// accessibility bus is clicked, as with the mouse or the keyboard, so the page's rule for that
// choice runs (Qt's own action only flips the check mark and the page never hears of it).

namespace pelmora {

// Registers both with Qt's accessibility; safe to call any number of times.
void installAccessibleControls();

}  // namespace pelmora
