#pragma once
// Operator passwords as the component stores them: a salted SHA-512 crypt hash, "$6$salt$hash".
#include <string>

namespace linkmend {

// The stored form of the password; empty when the system's crypt refuses the salt.
std::string HashOperatorPassword(const std::string& password, const std::string& salt);
// True when the password hashes to the stored form; false for any stored text not in that form.
bool OperatorPasswordMatches(const std::string& password, const std::string& storedHash);

}  // namespace linkmend
