#ifndef SENSORD_USERS_H
#define SENSORD_USERS_H

#include <mutex>
#include <optional>
#include <string>
#include <vector>

// ONVIF's user levels: an Administrator does everything, an Operator
// changes settings, a User only reads.
enum class UserLevel { ADMINISTRATOR, OPERATOR, USER };

// "Administrator", "Operator", "User".
const char* userLevelName(UserLevel p_eLevel);
// Takes the names above in any case; false for anything else.
bool parseUserLevel(const std::string& p_strText, UserLevel& p_eLevel);
inline bool mayWrite(UserLevel p_eLevel) {
    return p_eLevel != UserLevel::USER;
}

struct User {
    std::string strName;
    // Kept as given: WS-UsernameToken's PasswordDigest and HTTP Digest both
    // need the password itself on the service's side.
    std::string strPassword;
    UserLevel eLevel = UserLevel::USER;
};

// The service's users in one file that only its owner may read (mode 0600;
// a file anyone else can read is refused, not used). Written whole through
// a synced temporary and a rename, so a power cut leaves the old or the new.
//
// The file is text, one user a line: "name:level:password", the level as
// userLevelName() spells it. In the password a backslash escapes ':', '\'
// and a line break ("\:", "\\", "\n"); lines that start with '#' and
// empty lines are skipped. Names are 1 to 32 of [A-Za-z0-9._-], passwords
// 1 to 64 printable ASCII characters (space included).
class UserStore {
public:
    explicit UserStore(std::string p_strPath);

    const std::string& path() const { return m_strPath; }
    // Reads the file. With no file at all, creates it with one administrator
    // "admin" and a random password, which goes into p_strInitialPasswordPath
    // (mode 0600) and nowhere else; p_strNotice then says where it is. False
    // with p_strError for a file that cannot be read or trusted. With an
    // empty p_strInitialPasswordPath a missing file is an empty store (the
    // provisioning command: its first add creates the file).
    bool load(const std::string& p_strInitialPasswordPath, std::string& p_strNotice,
              std::string& p_strError);
    // Reads the file again first when it was replaced since (a user added
    // by the provisioning command while the service runs).
    std::optional<User> find(const std::string& p_strName) const;
    std::vector<User> list() const;

    // The provisioning command's operations; each writes the file before it
    // returns true. p_strError says why not (unknown user, the last
    // administrator, a name or password that cannot be stored).
    bool add(const User& p_user, std::string& p_strError);
    bool change(const std::string& p_strName, const std::string* p_pPassword,
                const UserLevel* p_pLevel, std::string& p_strError);
    bool remove(const std::string& p_strName, std::string& p_strError);

private:
    bool write(const std::vector<User>& p_users, std::string& p_strError);
    bool createFirstAdministrator(const std::string& p_strInitialPasswordPath,
                                  std::string& p_strNotice, std::string& p_strError);
    std::vector<User>::iterator locate(const std::string& p_strName);
    int administrators() const;

    std::string fileStamp() const;
    void refreshLocked() const;

    std::string m_strPath;
    mutable std::mutex m_mutex;
    mutable std::vector<User> m_users;
    mutable std::string m_strStamp;  // the file as last read: inode, size, time
};

#endif
