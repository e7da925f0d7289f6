// The page tree's helpers: a dictionary's type, a page added to its parent, its resources.
#pragma once

#include <string>
#include <string_view>

namespace kelvora::pdf
{

class TPdfDictionary;

// The Type name of a dictionary, or the empty text.
std::u16string TypeNameOf(const TPdfDictionary& ADict);
// Appends Node to the Kids of a pages dictionary and updates its Count.
void AppendKid(TPdfDictionary& APages, const TPdfDictionary& ANode);
// The dictionary under AKey in the page's Resources; null when absent.
TPdfDictionary* PageResource(const TPdfDictionary& APage, std::u16string_view AKey);

} // namespace kelvora::pdf
