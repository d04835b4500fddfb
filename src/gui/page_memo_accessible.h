// What a screen reader reads of a page memo: its text interface answers for the units asked for,
// a line or a word at a time, from the memo's bytes; nothing builds the whole text unless a
// reader asks for all of it.
#pragma once

namespace verrimo {

// Once per program: every page memo answers this way.
void installPageMemoAccessibility();

}  // namespace verrimo
