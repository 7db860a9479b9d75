// kxcrypt.dll: hands out the library's one crypter object.
#include "crypter.h"

extern "C" kxcrypt::ICrypter* CreateCrypterObject() {
    static kxcrypt::Crypter crypter;
    return &crypter;
}
