#ifndef NEDRIVERCREDENTIALS_H
#define NEDRIVERCREDENTIALS_H

#include <string>

//! The Basic-auth credentials of TLS driver connections. The library holds
//! them only scrambled; they are unscrambled at the moment of use.
class NEDriverCredentials
{
public:
    static constexpr int LoginLength = 8;
    static constexpr int PasswordLength = 12;
    static constexpr int KeyLength = 10;

    static std::string login();
    static std::string password();

    //! Byte i of the output is byte i of the input XOR key byte (i mod 10).
    static std::string unscramble(const char *scrambled, int length);
};

#endif // NEDRIVERCREDENTIALS_H
