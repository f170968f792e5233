#include "Authenticator.h"

#include <algorithm>
#include <cstdint>

#include "Crypto.h"

namespace {

using std::chrono::seconds;

const std::size_t kMaxHeader = 4096;
const std::size_t kMaxParameters = 32;
const seconds kNonceLifetime(300);
const std::size_t kMaxTrackedNonces = 4096;
const seconds kTokenWindow(300);
const std::size_t kMaxTokenNonces = 4096;
const std::size_t kMaxTokenNonceBytes = 64;
const seconds kFailureWindow(60);
const std::size_t kFailuresBeforeBlock = 5;
const int kMaxBlockSeconds = 300;
const std::size_t kMaxAddresses = 1024;
// Nonce layout: time stamp, random bytes, truncated HMAC of both.
const std::size_t kStampBytes = 8;
const std::size_t kRandomBytes = 8;
const std::size_t kMacBytes = 16;

AuthOutcome refuse(const std::string& p_strReason) {
    AuthOutcome outcome;
    outcome.strReason = p_strReason;
    return outcome;
}

char lower(char p_c) {
    return p_c >= 'A' && p_c <= 'Z' ? static_cast<char>(p_c - 'A' + 'a') : p_c;
}

std::string lowerCase(std::string p_strText) {
    std::transform(p_strText.begin(), p_strText.end(), p_strText.begin(), lower);
    return p_strText;
}

std::string upperCase(std::string p_strText) {
    std::transform(p_strText.begin(), p_strText.end(), p_strText.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return p_strText;
}

bool isSpace(char p_c) {
    return p_c == ' ' || p_c == '\t';
}

std::string trim(const std::string& p_strText) {
    const char* const szSpace = " \t\r\n";
    std::size_t nBegin = p_strText.find_first_not_of(szSpace);
    if (nBegin == std::string::npos) {
        return std::string();
    }
    return p_strText.substr(nBegin, p_strText.find_last_not_of(szSpace) - nBegin + 1);
}

bool isTokenChar(char p_c) {
    return (p_c >= 'A' && p_c <= 'Z') || (p_c >= 'a' && p_c <= 'z') || (p_c >= '0' && p_c <= '9') ||
           std::string("!#$%&'*+-.^_`|~").find(p_c) != std::string::npos;
}

// The list after "Digest ": key=token or key="quoted string", separated by
// commas; keys in lower case. False for anything malformed or repeated.
bool parseParameters(const std::string& p_strText, std::size_t p_nPos,
                     std::map<std::string, std::string>& p_params) {
    const std::size_t nSize = p_strText.size();
    for (;;) {
        while (p_nPos < nSize && (isSpace(p_strText[p_nPos]) || p_strText[p_nPos] == ',')) {
            ++p_nPos;
        }
        if (p_nPos == nSize) {
            return true;
        }
        std::size_t nKey = p_nPos;
        while (p_nPos < nSize && isTokenChar(p_strText[p_nPos])) {
            ++p_nPos;
        }
        std::string strKey = lowerCase(p_strText.substr(nKey, p_nPos - nKey));
        while (p_nPos < nSize && isSpace(p_strText[p_nPos])) {
            ++p_nPos;
        }
        if (strKey.empty() || p_nPos == nSize || p_strText[p_nPos] != '=') {
            return false;
        }
        ++p_nPos;
        while (p_nPos < nSize && isSpace(p_strText[p_nPos])) {
            ++p_nPos;
        }
        std::string strValue;
        if (p_nPos < nSize && p_strText[p_nPos] == '"') {
            ++p_nPos;
            for (;;) {
                if (p_nPos == nSize) {
                    return false;
                }
                char c = p_strText[p_nPos++];
                if (c == '"') {
                    break;
                }
                if (c == '\\') {
                    if (p_nPos == nSize) {
                        return false;
                    }
                    c = p_strText[p_nPos++];
                }
                strValue += c;
            }
        } else {
            std::size_t nValue = p_nPos;
            while (p_nPos < nSize && isTokenChar(p_strText[p_nPos])) {
                ++p_nPos;
            }
            // token68 may end in '=' (a base64 value left unquoted)
            while (p_nPos < nSize && p_strText[p_nPos] == '=') {
                ++p_nPos;
            }
            strValue = p_strText.substr(nValue, p_nPos - nValue);
            if (strValue.empty()) {
                return false;
            }
        }
        while (p_nPos < nSize && isSpace(p_strText[p_nPos])) {
            ++p_nPos;
        }
        if (p_nPos < nSize && p_strText[p_nPos] != ',') {
            return false;
        }
        if (!p_params.emplace(strKey, strValue).second || p_params.size() > kMaxParameters) {
            return false;
        }
    }
}

int hexValue(char p_c) {
    if (p_c >= '0' && p_c <= '9') {
        return p_c - '0';
    }
    p_c = lower(p_c);
    return p_c >= 'a' && p_c <= 'f' ? p_c - 'a' + 10 : -1;
}

// %XX decoded; with p_bPlus '+' is a space, as in a query. False for a
// broken escape.
bool percentDecode(const std::string& p_strText, bool p_bPlus, std::string& p_strOut) {
    p_strOut.clear();
    for (std::size_t i = 0; i < p_strText.size(); ++i) {
        char c = p_strText[i];
        if (c == '%') {
            if (i + 2 >= p_strText.size()) {
                return false;
            }
            int nHigh = hexValue(p_strText[i + 1]);
            int nLow = hexValue(p_strText[i + 2]);
            if (nHigh < 0 || nLow < 0) {
                return false;
            }
            p_strOut += static_cast<char>(nHigh * 16 + nLow);
            i += 2;
        } else {
            p_strOut += p_bPlus && c == '+' ? ' ' : c;
        }
    }
    return true;
}

// The Digest uri names the request's path; a client may add the query (it
// must then be the request's) or give an absolute URI.
bool uriMatches(const std::string& p_strUri, const HttpRequest& p_request) {
    std::string strUri = p_strUri;
    std::size_t nScheme = strUri.find("://");
    if (nScheme != std::string::npos && nScheme < strUri.find('/')) {
        std::size_t nPath = strUri.find('/', nScheme + 3);
        strUri = nPath == std::string::npos ? "/" : strUri.substr(nPath);
    }
    std::size_t nQuery = strUri.find('?');
    std::string strPath = strUri.substr(0, nQuery);
    std::string strDecoded;
    if (strPath != p_request.strPath &&
        (!percentDecode(strPath, false, strDecoded) || strDecoded != p_request.strPath)) {
        return false;
    }
    if (nQuery == std::string::npos) {
        return true;
    }
    std::map<std::string, std::string> query;
    std::string strQuery = strUri.substr(nQuery + 1);
    std::size_t nPos = 0;
    while (nPos <= strQuery.size() && !strQuery.empty()) {
        std::size_t nEnd = std::min(strQuery.find('&', nPos), strQuery.size());
        std::string strPair = strQuery.substr(nPos, nEnd - nPos);
        if (!strPair.empty()) {
            std::size_t nEquals = strPair.find('=');
            std::string strKey;
            std::string strValue;
            if (!percentDecode(strPair.substr(0, nEquals), true, strKey) ||
                (nEquals != std::string::npos &&
                 !percentDecode(strPair.substr(nEquals + 1), true, strValue))) {
                return false;
            }
            query[strKey] = strValue;
        }
        nPos = nEnd + 1;
    }
    return query == p_request.query;
}

std::string quoted(const std::string& p_strText) {
    std::string text = "\"";
    for (char c : p_strText) {
        if (c == '"' || c == '\\') {
            text += '\\';
        }
        text += c;
    }
    return text + "\"";
}

bool parseDigits(const std::string& p_strText, std::size_t p_nPos, std::size_t p_nCount,
                 int& p_nValue) {
    if (p_nPos + p_nCount > p_strText.size()) {
        return false;
    }
    p_nValue = 0;
    for (std::size_t i = p_nPos; i < p_nPos + p_nCount; ++i) {
        if (p_strText[i] < '0' || p_strText[i] > '9') {
            return false;
        }
        p_nValue = p_nValue * 10 + (p_strText[i] - '0');
    }
    return true;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long daysFromCivil(int p_nYear, int p_nMonth, int p_nDay) {
    long nYear = p_nYear - (p_nMonth <= 2 ? 1 : 0);
    long nEra = (nYear >= 0 ? nYear : nYear - 399) / 400;
    long nYearOfEra = nYear - nEra * 400;
    long nDayOfYear = (153 * (p_nMonth + (p_nMonth > 2 ? -3 : 9)) + 2) / 5 + p_nDay - 1;
    long nDayOfEra = nYearOfEra * 365 + nYearOfEra / 4 - nYearOfEra / 100 + nDayOfYear;
    return nEra * 146097 + nDayOfEra - 719468;
}

int daysInMonth(int p_nYear, int p_nMonth) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool bLeap = (p_nYear % 4 == 0 && p_nYear % 100 != 0) || p_nYear % 400 == 0;
    return p_nMonth == 2 && bLeap ? 29 : kDays[p_nMonth - 1];
}

// xs:dateTime with a time zone: "2026-12-07T10:00:00Z", a fraction of a
// second allowed, "+00:00" or another offset in place of "Z".
bool parseDateTime(const std::string& p_strText, std::chrono::system_clock::time_point& p_time) {
    int nYear = 0, nMonth = 0, nDay = 0, nHour = 0, nMinute = 0, nSecond = 0;
    const std::string& s = p_strText;
    if (!parseDigits(s, 0, 4, nYear) || s.size() < 19 || s[4] != '-' ||
        !parseDigits(s, 5, 2, nMonth) || s[7] != '-' || !parseDigits(s, 8, 2, nDay) ||
        s[10] != 'T' || !parseDigits(s, 11, 2, nHour) || s[13] != ':' ||
        !parseDigits(s, 14, 2, nMinute) || s[16] != ':' || !parseDigits(s, 17, 2, nSecond)) {
        return false;
    }
    if (nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > daysInMonth(nYear, nMonth) || nHour > 23 ||
        nMinute > 59 || nSecond > 59) {
        return false;
    }
    std::size_t nPos = 19;
    long nMicros = 0;
    if (nPos < s.size() && s[nPos] == '.') {
        std::size_t nDigits = 0;
        while (++nPos < s.size() && s[nPos] >= '0' && s[nPos] <= '9') {
            if (nDigits++ < 6) {
                nMicros = nMicros * 10 + (s[nPos] - '0');
            }
        }
        if (nDigits == 0) {
            return false;
        }
        for (; nDigits < 6; ++nDigits) {
            nMicros *= 10;
        }
    }
    long nOffset = 0;
    if (nPos + 1 == s.size() && s[nPos] == 'Z') {
        nOffset = 0;
    } else if (nPos + 6 == s.size() && (s[nPos] == '+' || s[nPos] == '-') && s[nPos + 3] == ':') {
        int nOffsetHours = 0, nOffsetMinutes = 0;
        if (!parseDigits(s, nPos + 1, 2, nOffsetHours) ||
            !parseDigits(s, nPos + 4, 2, nOffsetMinutes) || nOffsetHours > 14 ||
            nOffsetMinutes > 59) {
            return false;
        }
        nOffset = (nOffsetHours * 60L + nOffsetMinutes) * 60 * (s[nPos] == '+' ? 1 : -1);
    } else {
        return false;  // no time zone: whose local time is unknown
    }
    long long nSeconds = daysFromCivil(nYear, nMonth, nDay) * 86400LL + nHour * 3600LL +
                         nMinute * 60LL + nSecond - nOffset;
    p_time = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(nSeconds) + std::chrono::microseconds(nMicros)));
    return true;
}

}  // namespace

Authenticator::Authenticator(UserStore& p_users, std::string p_strRealm)
    : m_users(p_users),
      m_strRealm(std::move(p_strRealm)),
      m_strKey(crypto::randomBytes(32)),
      m_strOpaque(crypto::base64UrlEncode(crypto::randomBytes(16))),
      m_nonceCounts(kMaxTrackedNonces),
      m_tokenNonces(kMaxTokenNonces) {}

std::chrono::steady_clock::time_point Authenticator::now() const {
    return Steady::now();
}

std::chrono::system_clock::time_point Authenticator::wallNow() const {
    return Wall::now();
}

std::string Authenticator::makeNonce(Steady::time_point p_now) const {
    std::uint64_t nStamp = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(p_now.time_since_epoch()).count());
    std::string strBytes;
    for (int nShift = 56; nShift >= 0; nShift -= 8) {
        strBytes += static_cast<char>((nStamp >> nShift) & 0xff);
    }
    strBytes += crypto::randomBytes(kRandomBytes);
    strBytes += crypto::hmacSha256(m_strKey, strBytes).substr(0, kMacBytes);
    return crypto::base64UrlEncode(strBytes);
}

bool Authenticator::verifyNonce(const std::string& p_strNonce, Steady::time_point& p_issued) const {
    std::string strBytes;
    if (!crypto::base64UrlDecode(p_strNonce, strBytes) ||
        strBytes.size() != kStampBytes + kRandomBytes + kMacBytes) {
        return false;
    }
    const std::string strSigned = strBytes.substr(0, kStampBytes + kRandomBytes);
    if (!crypto::equalConstantTime(crypto::hmacSha256(m_strKey, strSigned).substr(0, kMacBytes),
                                   strBytes.substr(kStampBytes + kRandomBytes))) {
        return false;
    }
    std::uint64_t nStamp = 0;
    for (std::size_t i = 0; i < kStampBytes; ++i) {
        nStamp = nStamp << 8 | static_cast<unsigned char>(strBytes[i]);
    }
    p_issued = Steady::time_point(std::chrono::duration_cast<Steady::duration>(
        std::chrono::nanoseconds(static_cast<std::int64_t>(nStamp))));
    return true;
}

void Authenticator::challenge(HttpResponse& p_response, bool p_bStale) {
    const std::string strNonce = makeNonce(now());
    for (const char* szAlgorithm : {"SHA-256", "MD5"}) {
        std::string strValue = "Digest realm=" + quoted(m_strRealm) +
                               ", qop=\"auth\", algorithm=" + szAlgorithm + ", nonce=\"" +
                               strNonce + "\", opaque=\"" + m_strOpaque + "\"";
        if (p_bStale) {
            strValue += ", stale=true";
        }
        p_response.headers.emplace_back("WWW-Authenticate", strValue);
    }
}

AuthOutcome Authenticator::checkHttpDigest(const HttpRequest& p_request) {
    const std::string& strHeader = p_request.header("authorization");
    if (strHeader.size() > kMaxHeader) {
        return refuse("the Authorization header is too long");
    }
    std::size_t nScheme = strHeader.find_first_of(" \t");
    if (strHeader.empty() || lowerCase(strHeader.substr(0, nScheme)) != "digest") {
        AuthOutcome outcome = refuse(strHeader.empty() ? "no credentials" : "not HTTP Digest");
        outcome.bNoCredentials = true;
        return outcome;
    }
    std::map<std::string, std::string> params;
    if (nScheme == std::string::npos || !parseParameters(strHeader, nScheme, params)) {
        return refuse("a malformed Authorization header");
    }
    for (const char* szField :
         {"username", "realm", "nonce", "uri", "response", "qop", "nc", "cnonce"}) {
        if (params.find(szField) == params.end()) {
            return refuse(std::string("the Authorization header has no ") + szField);
        }
    }
    if (params.count("username*") != 0 || lowerCase(params["userhash"]) == "true") {
        return refuse("hashed or encoded user names are not supported");
    }
    const std::string strAlgorithm =
        params.count("algorithm") != 0 ? upperCase(params["algorithm"]) : "MD5";
    const bool bSha256 = strAlgorithm == "SHA-256";
    if (!bSha256 && strAlgorithm != "MD5") {
        if (strAlgorithm.size() > 5 &&
            strAlgorithm.compare(strAlgorithm.size() - 5, 5, "-SESS") == 0) {
            return refuse("session algorithms (" + params["algorithm"] +
                          ") are not supported: use SHA-256 or MD5");
        }
        return refuse("unknown algorithm \"" + params["algorithm"] + "\"");
    }
    if (params["qop"] != "auth") {
        return refuse("qop \"" + params["qop"] + "\" is not supported: only \"auth\"");
    }
    if (params["realm"] != m_strRealm) {
        return refuse("another realm");
    }
    if (params.count("opaque") != 0 && params["opaque"] != m_strOpaque) {
        return refuse("opaque is not the one given");
    }
    if (!uriMatches(params["uri"], p_request)) {
        return refuse("the Digest uri is not the request's");
    }
    const std::string& strNc = params["nc"];
    if (strNc.size() != 8 ||
        !std::all_of(strNc.begin(), strNc.end(), [](char c) { return hexValue(c) >= 0; })) {
        return refuse("a malformed nonce count");
    }
    const unsigned long nCount = std::stoul(strNc, nullptr, 16);
    if (nCount == 0 || params["cnonce"].empty()) {
        return refuse("a malformed nonce count or cnonce");
    }
    Steady::time_point issued;
    if (!verifyNonce(params["nonce"], issued)) {
        return refuse("a nonce not issued by this service");
    }
    std::optional<User> user = m_users.find(params["username"]);
    if (!user) {
        return refuse("unknown user");
    }
    auto hash = [bSha256](const std::string& p_strData) {
        return bSha256 ? crypto::sha256Hex(p_strData) : crypto::md5Hex(p_strData);
    };
    const std::string strHa1 = hash(user->strName + ":" + m_strRealm + ":" + user->strPassword);
    const std::string strHa2 = hash(p_request.strMethod + ":" + params["uri"]);
    const std::string strExpected = hash(strHa1 + ":" + params["nonce"] + ":" + strNc + ":" +
                                         params["cnonce"] + ":auth:" + strHa2);
    if (!crypto::equalConstantTime(strExpected, lowerCase(params["response"]))) {
        return refuse("wrong password");
    }
    const Steady::time_point current = now();
    bool bStale = current - issued > kNonceLifetime || issued > current;
    if (!bStale && !takeNonceCount(params["nonce"], issued, nCount, bStale)) {
        return refuse("nonce count used before");
    }
    if (bStale) {
        AuthOutcome outcome = refuse("the nonce has expired");
        outcome.bStale = true;
        return outcome;
    }
    AuthOutcome outcome;
    outcome.bOk = true;
    outcome.strUser = user->strName;
    outcome.eLevel = user->eLevel;
    return outcome;
}

bool Authenticator::takeNonceCount(const std::string& p_strNonce, Steady::time_point p_issued,
                                   unsigned long p_nCount, bool& p_bStale) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // A browser sends requests side by side on one nonce, and they need not
    // arrive in the order of their counts: each count is taken once, and
    // one more than 64 below the highest cannot be told from a replay.
    if (NonceCounts* counts = m_nonceCounts.find(p_strNonce)) {
        if (p_nCount > counts->nHighest) {
            unsigned long shift = p_nCount - counts->nHighest;
            counts->nSeen = (shift >= 64 ? 0 : counts->nSeen << shift) | 1;
            counts->nHighest = p_nCount;
            return true;
        }
        unsigned long below = counts->nHighest - p_nCount;
        if (below >= 64 || (counts->nSeen >> below & 1) != 0) {
            return false;
        }
        counts->nSeen |= std::uint64_t(1) << below;
        return true;
    }
    // A nonce issued up to the floor and not tracked had its counts
    // forgotten: the client takes a new nonce.
    m_nonceCounts.expire(now() - kNonceLifetime);
    if (p_issued <= m_nonceCounts.floor() ||
        !m_nonceCounts.add(p_strNonce, p_issued, NonceCounts{p_nCount, 1})) {
        p_bStale = true;
    }
    return true;
}

AuthOutcome Authenticator::checkUsernameToken(const std::string& p_strUser,
                                              const std::string& p_strDigest,
                                              const std::string& p_strNonce,
                                              const std::string& p_strCreated) {
    // Values come out of XML text, which may wrap them in white space.
    const std::string strUser = trim(p_strUser);
    const std::string strCreated = trim(p_strCreated);
    if (strUser.empty() && trim(p_strDigest).empty()) {
        AuthOutcome outcome = refuse("no credentials");
        outcome.bNoCredentials = true;
        return outcome;
    }
    std::string strNonce;
    if (!crypto::base64Decode(trim(p_strNonce), strNonce)) {
        return refuse("the token's Nonce is not base64");
    }
    if (strNonce.empty() || strNonce.size() > kMaxTokenNonceBytes) {
        return refuse("the token's Nonce must be 1 to 64 bytes");
    }
    Wall::time_point created;
    if (!parseDateTime(strCreated, created)) {
        return refuse("the token's Created is not a date and time with a time zone");
    }
    const Wall::time_point current = wallNow();
    if (created > current + kTokenWindow || created < current - kTokenWindow) {
        return refuse("Created outside the accepted window");
    }
    std::string strDigest;
    if (!crypto::base64Decode(trim(p_strDigest), strDigest) || strDigest.size() != 20) {
        return refuse("the token's PasswordDigest is not a base64 SHA-1 digest");
    }
    std::optional<User> user = m_users.find(strUser);
    if (!user) {
        return refuse("unknown user");
    }
    if (!crypto::equalConstantTime(crypto::sha1(strNonce + strCreated + user->strPassword),
                                   strDigest)) {
        return refuse("wrong password");
    }
    std::string strReason;
    if (!takeTokenNonce(strNonce, created, strReason)) {
        return refuse(strReason);
    }
    AuthOutcome outcome;
    outcome.bOk = true;
    outcome.strUser = user->strName;
    outcome.eLevel = user->eLevel;
    return outcome;
}

bool Authenticator::takeTokenNonce(const std::string& p_strNonce, Wall::time_point p_created,
                                   std::string& p_strReason) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_tokenNonces.find(p_strNonce) != nullptr) {
        p_strReason = "nonce used before";
        return false;
    }
    // A token can come back only while its Created is within the window.
    m_tokenNonces.expire(wallNow() - kTokenWindow);
    if (p_created <= m_tokenNonces.floor() || !m_tokenNonces.add(p_strNonce, p_created, true)) {
        p_strReason = "too many recent logins to tell a replay: send a newer Created";
        return false;
    }
    return true;
}

bool Authenticator::throttled(const std::string& p_strAddress, int& p_nRetryAfter) {
    p_nRetryAfter = 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_failures.find(p_strAddress);
    const Steady::time_point current = now();
    if (it == m_failures.end() || it->second.blockedUntil <= current) {
        return false;
    }
    auto nLeftMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(it->second.blockedUntil - current)
            .count();
    p_nRetryAfter = std::max(1, static_cast<int>((nLeftMs + 999) / 1000));
    return true;
}

void Authenticator::forgetQuietAddresses(Steady::time_point p_now) {
    for (auto it = m_failures.begin(); it != m_failures.end();) {
        bool bQuiet = p_now - it->second.last > kFailureWindow && it->second.blockedUntil < p_now;
        it = bQuiet ? m_failures.erase(it) : std::next(it);
    }
}

void Authenticator::recordFailure(const std::string& p_strAddress) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Steady::time_point current = now();
    auto it = m_failures.find(p_strAddress);
    if (it == m_failures.end()) {
        if (m_failures.size() >= kMaxAddresses) {
            forgetQuietAddresses(current);
        }
        if (m_failures.size() >= kMaxAddresses) {
            m_failures.erase(std::min_element(m_failures.begin(), m_failures.end(),
                                              [](const auto& p_a, const auto& p_b) {
                                                  return p_a.second.last < p_b.second.last;
                                              }));
        }
        it = m_failures.emplace(p_strAddress, Failures()).first;
    }
    Failures& failures = it->second;
    // A minute without failures after the block ended: start over.
    if (failures.nBlockSeconds > 0 && current - failures.blockedUntil > kFailureWindow) {
        failures.nBlockSeconds = 0;
    }
    while (!failures.recent.empty() && current - failures.recent.front() > kFailureWindow) {
        failures.recent.pop_front();
    }
    failures.recent.push_back(current);
    if (failures.recent.size() > kFailuresBeforeBlock) {
        failures.recent.pop_front();
    }
    failures.last = current;
    if (failures.nBlockSeconds > 0) {
        failures.nBlockSeconds = std::min(2 * failures.nBlockSeconds, kMaxBlockSeconds);
    } else if (failures.recent.size() >= kFailuresBeforeBlock) {
        failures.nBlockSeconds = 1;
    } else {
        return;
    }
    failures.blockedUntil = current + seconds(failures.nBlockSeconds);
}

void Authenticator::recordSuccess(const std::string& p_strAddress) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures.erase(p_strAddress);
}
