#include "NEDriverCredentials.h"

namespace {

// Scrambled forms and the key. Read through volatile pointers so that the
// compiler never folds the clear texts into the binary.
const char kScrambledLogin[] = "T@AFPmZO";
const char kScrambledPassword[] = "qI_dZW@g]CFs";
const char kKey[] = "5820394716";

} // namespace

std::string NEDriverCredentials::unscramble(const char *scrambled, int length)
{
    const volatile char *in = scrambled;
    const volatile char *key = kKey;
    std::string out(static_cast<size_t>(length > 0 ? length : 0), '\0');
    for (int i = 0; i < length; ++i)
        out[static_cast<size_t>(i)] = static_cast<char>(in[i] ^ key[i % KeyLength]);
    return out;
}

std::string NEDriverCredentials::login()
{
    return unscramble(kScrambledLogin, LoginLength);
}

std::string NEDriverCredentials::password()
{
    return unscramble(kScrambledPassword, PasswordLength);
}
