#include "catalog/OperatorPassword.h"

#include <crypt.h>

#include <cstring>

namespace linkmend {

std::string HashOperatorPassword(const std::string& password, const std::string& salt) {
    crypt_data data;
    std::memset(&data, 0, sizeof data);
    const char* hash = crypt_r(password.c_str(), ("$6$" + salt + "$").c_str(), &data);
    return hash && hash[0] == '$' ? std::string(hash) : std::string();
}

bool OperatorPasswordMatches(const std::string& password, const std::string& storedHash) {
    // Only the SHA-512 form: crypt would also accept the weak DES form of a short text.
    if (storedHash.size() < 4 || storedHash.compare(0, 3, "$6$") != 0) return false;
    crypt_data data;
    std::memset(&data, 0, sizeof data);
    const char* hash = crypt_r(password.c_str(), storedHash.c_str(), &data);
    return hash && storedHash == hash;
}

}  // namespace linkmend
