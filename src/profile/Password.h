#pragma once
// Passwords are stored in the settings files scrambled: a row of decimal numbers, one per character
// of a padded password plus its length, so they never stand there as plain text. Scrambling the same
// password twice gives different texts; both unscramble to it.
#include <string>

namespace linkmend {

// "" stays "". Characters are encoded by their Windows-1252 code, so files written on Windows read
// back; a character that code page lacks becomes "?". Leading and trailing blanks are not kept.
std::string ScramblePassword(const std::string& password);

// The password back; a text that is not in scrambled form (or cannot be decoded) comes back unchanged,
// so a password typed into a settings file by hand works.
std::string UnscramblePassword(const std::string& stored);

// Restarts the call counter that chooses the padding text (the first call then uses text 1).
void ResetPasswordScrambler();

}  // namespace linkmend
