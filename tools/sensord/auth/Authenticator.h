#ifndef SENSORD_AUTHENTICATOR_H
#define SENSORD_AUTHENTICATOR_H

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "../Http.h"
#include "NonceTable.h"
#include "Users.h"

// Who is asking. Every route but ONVIF's GetSystemDateAndTime needs a user.
struct AuthOutcome {
    bool bOk = false;
    std::string strUser;
    UserLevel eLevel = UserLevel::USER;
    // Why not, for the log and the client ("unknown user", "wrong password",
    // "nonce used before", "Created outside the accepted window").
    std::string strReason;
    bool bStale = false;          // HTTP Digest: a nonce of ours that expired
    bool bNoCredentials = false;  // nothing was offered at all
};

// Checks HTTP Digest (RFC 7616: SHA-256 and, for old clients, MD5; qop
// "auth") and WS-Security UsernameToken with PasswordDigest. Hashes and
// base64 come from nettle. Nonces are the service's own (HTTP Digest: a
// time stamp and random bytes signed with a key drawn at start) and each
// nonce count or token nonce is taken once: a replay is refused.
// Repeated failures from one address slow that address down.
class Authenticator {
public:
    Authenticator(UserStore& p_users, std::string p_strRealm);
    virtual ~Authenticator() = default;
    Authenticator(const Authenticator&) = delete;
    Authenticator& operator=(const Authenticator&) = delete;

    // The Authorization header of p_request; bNoCredentials when it has
    // none or another scheme.
    AuthOutcome checkHttpDigest(const HttpRequest& p_request);
    // A 401's challenges: SHA-256 first, then MD5 (p_bStale when the client's
    // nonce had expired).
    void challenge(HttpResponse& p_response, bool p_bStale);

    // A UsernameToken's fields as the SOAP header gives them (Nonce in
    // base64, Created as xs:dateTime). Created more than five minutes from
    // the service's clock either way is refused, and so is a nonce seen in
    // that window.
    AuthOutcome checkUsernameToken(const std::string& p_strUser, const std::string& p_strDigest,
                                   const std::string& p_strNonce, const std::string& p_strCreated);

    // Failures and successes by client address. After five failures within
    // a minute the address is refused for a while that doubles with each
    // further failure (up to five minutes); p_nRetryAfter is the seconds left.
    bool throttled(const std::string& p_strAddress, int& p_nRetryAfter);
    void recordFailure(const std::string& p_strAddress);
    void recordSuccess(const std::string& p_strAddress);

protected:
    // The clocks everything here goes by; a test turns them by overriding.
    // Nonce ages and the throttle use the monotonic clock, a UsernameToken's
    // Created is compared with the wall clock.
    virtual std::chrono::steady_clock::time_point now() const;
    virtual std::chrono::system_clock::time_point wallNow() const;

private:
    using Steady = std::chrono::steady_clock;
    using Wall = std::chrono::system_clock;

    // The highest nonce count taken so far for one of our nonces.
    // The counts taken on one of our nonces: the highest, and bit i for the
    // count i below it.
    struct NonceCounts {
        unsigned long nHighest = 0;
        std::uint64_t nSeen = 0;
    };
    struct Failures {
        std::deque<Steady::time_point> recent;  // within the last minute
        int nBlockSeconds = 0;                  // 0: not blocked yet
        Steady::time_point blockedUntil;
        Steady::time_point last;
    };

    std::string makeNonce(Steady::time_point p_now) const;
    // Ours and unchanged; p_issued is when it was made.
    bool verifyNonce(const std::string& p_strNonce, Steady::time_point& p_issued) const;
    // False when the count was taken before (or cannot be told apart from
    // one that was); p_bStale when its nonce was forgotten to make room.
    bool takeNonceCount(const std::string& p_strNonce, Steady::time_point p_issued,
                        unsigned long p_nCount, bool& p_bStale);
    bool takeTokenNonce(const std::string& p_strNonce, Wall::time_point p_created,
                        std::string& p_strReason);
    void forgetQuietAddresses(Steady::time_point p_now);

    UserStore& m_users;
    std::string m_strRealm;
    std::string m_strKey;     // signs our Digest nonces; drawn at construction
    std::string m_strOpaque;  // echoed back by Digest clients

    std::mutex m_mutex;  // guards everything below
    // Our Digest nonces with the highest count taken; one issued up to the
    // floor and not tracked is stale (its counts could otherwise be replayed).
    NonceTable<Steady::time_point, NonceCounts> m_nonceCounts;
    // Token nonces (decoded) by Created; one created up to the floor and not
    // tracked is refused.
    NonceTable<Wall::time_point, bool> m_tokenNonces;
    std::map<std::string, Failures> m_failures;  // by client address
};

#endif
