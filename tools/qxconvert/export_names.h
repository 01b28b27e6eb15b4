// Names the player and its play script can use: object, camera and light
// names are single words of the play script, compared ignoring case; file
// names are looked up bare, ignoring case, and texture names must stay below
// the texture cache's length.
#pragma once

#include <set>
#include <string>

namespace velmora::tools {

// The longest texture file name the texture cache takes (it takes names
// shorter than 80 characters).
constexpr size_t kMaxTextureName = 79;
// Node names are kept to a length a script line shows whole.
constexpr size_t kMaxNodeName = 63;

// Letters, digits, '_', '-' and '.' kept, anything else (blanks, slashes,
// bytes outside ASCII) made '_', cut to maxLength; empty when nothing is left.
std::string SafeWord(const std::string& text, size_t maxLength);

// Names unique within one set, ignoring case.
class NameSet {
public:
    // wanted made safe (or fallback when nothing of it is left), with "_2",
    // "_3", ... before the extension when the set holds it already; the
    // result is at most maxLength characters and keeps extension whole.
    std::string Take(const std::string& wanted, const std::string& fallback, size_t maxLength,
                     const std::string& extension = "");

private:
    std::set<std::string> taken_;  // lower case
};

}  // namespace velmora::tools
