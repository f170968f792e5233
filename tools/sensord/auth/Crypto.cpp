#include "Crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <stdexcept>
#include <vector>

namespace crypto {

namespace {

std::string digest(const EVP_MD* p_pType, const std::string& p_strData) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int nLength = 0;
    if (EVP_Digest(p_strData.data(), p_strData.size(), out, &nLength, p_pType, nullptr) != 1) {
        throw std::runtime_error("OpenSSL digest failed");
    }
    return std::string(reinterpret_cast<const char*>(out), nLength);
}

bool isBase64Char(char p_c) {
    return (p_c >= 'A' && p_c <= 'Z') || (p_c >= 'a' && p_c <= 'z') || (p_c >= '0' && p_c <= '9') ||
           p_c == '+' || p_c == '/';
}

}  // namespace

std::string sha1(const std::string& p_strData) {
    return digest(EVP_sha1(), p_strData);
}
std::string sha256(const std::string& p_strData) {
    return digest(EVP_sha256(), p_strData);
}
std::string md5(const std::string& p_strData) {
    return digest(EVP_md5(), p_strData);
}
std::string sha1Hex(const std::string& p_strData) {
    return toHex(sha1(p_strData));
}
std::string sha256Hex(const std::string& p_strData) {
    return toHex(sha256(p_strData));
}
std::string md5Hex(const std::string& p_strData) {
    return toHex(md5(p_strData));
}

std::string toHex(const std::string& p_strBytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(p_strBytes.size() * 2);
    for (unsigned char c : p_strBytes) {
        text += kDigits[c >> 4];
        text += kDigits[c & 0x0f];
    }
    return text;
}

std::string hmacSha256(const std::string& p_strKey, const std::string& p_strData) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int nLength = 0;
    if (HMAC(EVP_sha256(), p_strKey.data(), static_cast<int>(p_strKey.size()),
             reinterpret_cast<const unsigned char*>(p_strData.data()), p_strData.size(), out,
             &nLength) == nullptr) {
        throw std::runtime_error("OpenSSL HMAC failed");
    }
    return std::string(reinterpret_cast<const char*>(out), nLength);
}

std::string base64Encode(const std::string& p_strBytes) {
    std::vector<unsigned char> out(4 * ((p_strBytes.size() + 2) / 3) + 1);
    int nLength =
        EVP_EncodeBlock(out.data(), reinterpret_cast<const unsigned char*>(p_strBytes.data()),
                        static_cast<int>(p_strBytes.size()));
    return std::string(reinterpret_cast<const char*>(out.data()),
                       static_cast<std::size_t>(nLength));
}

bool base64Decode(const std::string& p_strText, std::string& p_strBytes) {
    p_strBytes.clear();
    const std::size_t nSize = p_strText.size();
    if (nSize % 4 != 0) {
        return false;
    }
    // EVP_DecodeBlock skips white space and counts padding as zero bytes:
    // check the form first and take the padding off after.
    std::size_t nPadding = 0;
    if (nSize > 0 && p_strText[nSize - 1] == '=') {
        nPadding = nSize > 1 && p_strText[nSize - 2] == '=' ? 2 : 1;
    }
    for (std::size_t i = 0; i < nSize - nPadding; ++i) {
        if (!isBase64Char(p_strText[i])) {
            return false;
        }
    }
    if (nSize == 0) {
        return true;
    }
    std::vector<unsigned char> out(nSize / 4 * 3 + 1);
    int nLength =
        EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(p_strText.data()),
                        static_cast<int>(nSize));
    if (nLength < 0 || static_cast<std::size_t>(nLength) < nPadding) {
        return false;
    }
    p_strBytes.assign(reinterpret_cast<const char*>(out.data()),
                      static_cast<std::size_t>(nLength) - nPadding);
    // One spelling per byte string: the bits after the last byte are zero,
    // so a changed character never decodes to the same bytes.
    if (base64Encode(p_strBytes) != p_strText) {
        p_strBytes.clear();
        return false;
    }
    return true;
}

std::string base64UrlEncode(const std::string& p_strBytes) {
    std::string text = base64Encode(p_strBytes);
    while (!text.empty() && text.back() == '=') {
        text.pop_back();
    }
    for (char& c : text) {
        c = c == '+' ? '-' : c == '/' ? '_' : c;
    }
    return text;
}

bool base64UrlDecode(const std::string& p_strText, std::string& p_strBytes) {
    p_strBytes.clear();
    if (p_strText.size() % 4 == 1) {
        return false;
    }
    std::string text = p_strText;
    for (char& c : text) {
        if (c == '+' || c == '/' || c == '=') {
            return false;
        }
        c = c == '-' ? '+' : c == '_' ? '/' : c;
    }
    text.append((4 - text.size() % 4) % 4, '=');
    return base64Decode(text, p_strBytes);
}

std::string randomBytes(std::size_t p_nCount) {
    std::string bytes(p_nCount, '\0');
    if (p_nCount > 0 &&
        RAND_bytes(reinterpret_cast<unsigned char*>(&bytes[0]), static_cast<int>(p_nCount)) != 1) {
        throw std::runtime_error("the random generator failed");
    }
    return bytes;
}

bool equalConstantTime(const std::string& p_strA, const std::string& p_strB) {
    return p_strA.size() == p_strB.size() &&
           CRYPTO_memcmp(p_strA.data(), p_strB.data(), p_strA.size()) == 0;
}

}  // namespace crypto
