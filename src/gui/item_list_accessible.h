// What a screen reader sees of a combo box's item list. The list of a page's targets can hold
// half a million items; listing each one as an accessible of its own, as the stock list does
// when a reader asks for the children, keeps the window thread busy for seconds. This list names
// its first items as children and makes any other one when it is reached (the current item of
// the open list), so that a huge list costs no more than a short one.
#pragma once

namespace verrimo {

// Once per program: the item lists of the program's combo boxes answer this way.
void installItemListAccessibility();

}  // namespace verrimo
