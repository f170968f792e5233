#include "Crypto.h"

#include <nettle/base64.h>
#include <nettle/hmac.h>
#include <nettle/md5.h>
#include <nettle/memops.h>
#include <nettle/sha1.h>
#include <nettle/sha2.h>
#include <sys/random.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

namespace crypto {

namespace {

const uint8_t* bytesOf(const std::string& p_strData) {
    return reinterpret_cast<const uint8_t*>(p_strData.data());
}

// One nettle hash over the whole string.
template <class Context, size_t Size, void (*Init)(Context*),
          void (*Update)(Context*, size_t, const uint8_t*),
          void (*Digest)(Context*, size_t, uint8_t*)>
std::string digest(const std::string& p_strData) {
    Context context;
    Init(&context);
    Update(&context, p_strData.size(), bytesOf(p_strData));
    uint8_t out[Size];
    Digest(&context, Size, out);
    return std::string(reinterpret_cast<const char*>(out), Size);
}

bool isBase64Char(char p_c) {
    return (p_c >= 'A' && p_c <= 'Z') || (p_c >= 'a' && p_c <= 'z') || (p_c >= '0' && p_c <= '9') ||
           p_c == '+' || p_c == '/';
}

}  // namespace

std::string sha1(const std::string& p_strData) {
    return digest<sha1_ctx, SHA1_DIGEST_SIZE, nettle_sha1_init, nettle_sha1_update,
                  nettle_sha1_digest>(p_strData);
}
std::string sha256(const std::string& p_strData) {
    return digest<sha256_ctx, SHA256_DIGEST_SIZE, nettle_sha256_init, nettle_sha256_update,
                  nettle_sha256_digest>(p_strData);
}
std::string md5(const std::string& p_strData) {
    return digest<md5_ctx, MD5_DIGEST_SIZE, nettle_md5_init, nettle_md5_update, nettle_md5_digest>(
        p_strData);
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
    hmac_sha256_ctx context;
    hmac_sha256_set_key(&context, p_strKey.size(), bytesOf(p_strKey));
    hmac_sha256_update(&context, p_strData.size(), bytesOf(p_strData));
    uint8_t out[SHA256_DIGEST_SIZE];
    hmac_sha256_digest(&context, SHA256_DIGEST_SIZE, out);
    return std::string(reinterpret_cast<const char*>(out), SHA256_DIGEST_SIZE);
}

std::string base64Encode(const std::string& p_strBytes) {
    std::string text(BASE64_ENCODE_RAW_LENGTH(p_strBytes.size()), '\0');
    if (!text.empty()) {
        base64_encode_raw(&text[0], p_strBytes.size(), bytesOf(p_strBytes));
    }
    return text;
}

bool base64Decode(const std::string& p_strText, std::string& p_strBytes) {
    p_strBytes.clear();
    const std::size_t nSize = p_strText.size();
    if (nSize % 4 != 0) {
        return false;
    }
    // The decoder skips white space: the form is checked first.
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
    std::vector<uint8_t> out(BASE64_DECODE_LENGTH(nSize));
    base64_decode_ctx context;
    base64_decode_init(&context);
    size_t nLength = out.size();
    if (!base64_decode_update(&context, &nLength, out.data(), nSize, p_strText.data()) ||
        !base64_decode_final(&context)) {
        return false;
    }
    p_strBytes.assign(reinterpret_cast<const char*>(out.data()), nLength);
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
    // The kernel's generator, waiting for it to be ready on a fresh boot.
    std::string bytes(p_nCount, '\0');
    for (std::size_t done = 0; done < p_nCount;) {
        ssize_t count = getrandom(&bytes[done], p_nCount - done, 0);
        if (count < 0 && errno != EINTR) {
            throw std::runtime_error("the random generator failed");
        }
        done += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    return bytes;
}

bool equalConstantTime(const std::string& p_strA, const std::string& p_strB) {
    return p_strA.size() == p_strB.size() &&
           memeql_sec(p_strA.data(), p_strB.data(), p_strA.size()) != 0;
}

}  // namespace crypto
