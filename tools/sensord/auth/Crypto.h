#ifndef SENSORD_CRYPTO_H
#define SENSORD_CRYPTO_H

#include <cstddef>
#include <string>

// Thin wrappers over nettle (the library GnuTLS, and so libmicrohttpd, brings)
// and the kernel's random generator for the service's authentication.
// Byte strings travel in std::string; "hex" is lower case.
namespace crypto {

std::string sha1(const std::string& p_strData);
std::string sha256(const std::string& p_strData);
std::string md5(const std::string& p_strData);
std::string sha1Hex(const std::string& p_strData);
std::string sha256Hex(const std::string& p_strData);
std::string md5Hex(const std::string& p_strData);
std::string toHex(const std::string& p_strBytes);

std::string hmacSha256(const std::string& p_strKey, const std::string& p_strData);

// Standard base64 with padding.
std::string base64Encode(const std::string& p_strBytes);
// Strict: the length is a multiple of four, only the alphabet, and '=' only
// as the last one or two characters, unused bits zero; false for anything
// else (no white space either).
bool base64Decode(const std::string& p_strText, std::string& p_strBytes);
// The URL-safe alphabet ('-' and '_') without padding, for tokens that
// travel in headers.
std::string base64UrlEncode(const std::string& p_strBytes);
bool base64UrlDecode(const std::string& p_strText, std::string& p_strBytes);

// From the operating system's generator; throws std::runtime_error should
// it ever fail rather than hand out predictable bytes.
std::string randomBytes(std::size_t p_nCount);

// Same length and same bytes, in time that depends on the length only.
bool equalConstantTime(const std::string& p_strA, const std::string& p_strB);

}  // namespace crypto

#endif
