#include "Users.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "Crypto.h"

namespace {

const std::size_t kMaxName = 32;
const std::size_t kMaxPassword = 64;
// Far more than any camera's users; a bigger file is not ours.
const off_t kMaxFileSize = 1 << 20;
// No 0/O/o, 1/l/I: the first password is read off a screen and typed.
const char kUnambiguous[] = "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";

std::string systemError(const std::string& p_strWhat, const std::string& p_strPath) {
    return p_strWhat + " " + p_strPath + ": " + std::strerror(errno);
}

std::string octal(mode_t p_nMode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(p_nMode & 07777));
    return text;
}

bool validName(const std::string& p_strName) {
    if (p_strName.empty() || p_strName.size() > kMaxName) {
        return false;
    }
    return std::all_of(p_strName.begin(), p_strName.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '_' || c == '-';
    });
}

bool validPassword(const std::string& p_strPassword) {
    if (p_strPassword.empty() || p_strPassword.size() > kMaxPassword) {
        return false;
    }
    return std::all_of(p_strPassword.begin(), p_strPassword.end(),
                       [](char c) { return c >= 0x20 && c <= 0x7e; });
}

std::string nameError(const std::string& p_strName) {
    // The name is shown only when it is short and printable, so a stray
    // password pasted in its place does not end up in a log.
    bool bShow = p_strName.size() <= kMaxName &&
                 std::all_of(p_strName.begin(), p_strName.end(),
                             [](char c) { return c > 0x20 && c <= 0x7e && c != '"'; });
    return std::string("invalid user name") + (bShow ? " \"" + p_strName + "\"" : "") +
           ": 1 to 32 letters, digits, '.', '_' or '-'";
}

const char* passwordError() {
    return "a password must be 1 to 64 printable ASCII characters";
}

std::string escape(const std::string& p_strPassword) {
    std::string text;
    for (char c : p_strPassword) {
        if (c == ':' || c == '\\') {
            text += '\\';
            text += c;
        } else if (c == '\n') {
            text += "\\n";
        } else {
            text += c;
        }
    }
    return text;
}

bool unescape(const std::string& p_strText, std::string& p_strPassword) {
    p_strPassword.clear();
    for (std::size_t i = 0; i < p_strText.size(); ++i) {
        char c = p_strText[i];
        if (c == ':') {
            return false;  // an unescaped ':' means the line was not written by us
        }
        if (c != '\\') {
            p_strPassword += c;
            continue;
        }
        if (++i == p_strText.size()) {
            return false;
        }
        c = p_strText[i];
        if (c == 'n') {
            p_strPassword += '\n';
        } else if (c == ':' || c == '\\') {
            p_strPassword += c;
        } else {
            return false;
        }
    }
    return true;
}

std::string parentOf(const std::string& p_strPath) {
    std::size_t nSlash = p_strPath.rfind('/');
    if (nSlash == std::string::npos) {
        return ".";
    }
    return nSlash == 0 ? "/" : p_strPath.substr(0, nSlash);
}

std::string baseOf(const std::string& p_strPath) {
    std::size_t nSlash = p_strPath.rfind('/');
    return nSlash == std::string::npos ? p_strPath : p_strPath.substr(nSlash + 1);
}

// Like mkdir -p, each missing level private to the service's user.
bool makeDirectories(const std::string& p_strDir, std::string& p_strError) {
    struct stat info;
    if (stat(p_strDir.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode)) {
            p_strError = p_strDir + " is not a directory";
            return false;
        }
        return true;
    }
    if (errno != ENOENT) {
        p_strError = systemError("cannot reach", p_strDir);
        return false;
    }
    std::string strParent = parentOf(p_strDir);
    if (strParent != p_strDir && !makeDirectories(strParent, p_strError)) {
        return false;
    }
    if (mkdir(p_strDir.c_str(), 0700) != 0 && errno != EEXIST) {
        p_strError = systemError("cannot create the directory", p_strDir);
        return false;
    }
    return true;
}

bool writeAll(int p_fd, const std::string& p_strContent) {
    std::size_t nDone = 0;
    while (nDone < p_strContent.size()) {
        ssize_t nWritten = ::write(p_fd, p_strContent.data() + nDone, p_strContent.size() - nDone);
        if (nWritten < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        nDone += static_cast<std::size_t>(nWritten);
    }
    return true;
}

bool syncDirectory(const std::string& p_strDir, std::string& p_strError) {
    int fd = open(p_strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        p_strError = systemError("cannot open the directory", p_strDir);
        return false;
    }
    bool bOk = fsync(fd) == 0;
    if (!bOk) {
        p_strError = systemError("cannot sync the directory", p_strDir);
    }
    close(fd);
    return bOk;
}

// The content goes to a synced temporary beside the file, which then takes
// the file's name: by rename, or with p_bExclusive by link, which fails
// when the name is taken. Either way the file appears whole or not at all.
bool writeFileAtomically(const std::string& p_strPath, const std::string& p_strContent,
                         bool p_bExclusive, std::string& p_strError) {
    const std::string strDir = parentOf(p_strPath);
    if (!makeDirectories(strDir, p_strError)) {
        return false;
    }
    std::string strTemp = strDir + "/." + baseOf(p_strPath) + ".XXXXXX";
    int fd = mkostemp(&strTemp[0], O_CLOEXEC);
    if (fd < 0) {
        p_strError = systemError("cannot create a temporary file in", strDir);
        return false;
    }
    bool bOk = fchmod(fd, 0600) == 0 && writeAll(fd, p_strContent) && fsync(fd) == 0;
    if (!bOk) {
        p_strError = systemError("cannot write", strTemp);
    }
    if (close(fd) != 0 && bOk) {
        p_strError = systemError("cannot write", strTemp);
        bOk = false;
    }
    if (bOk && p_bExclusive) {
        if (link(strTemp.c_str(), p_strPath.c_str()) != 0) {
            p_strError = errno == EEXIST ? p_strPath + " exists already"
                                         : systemError("cannot create", p_strPath);
            bOk = false;
        }
        unlink(strTemp.c_str());
    } else if (bOk && rename(strTemp.c_str(), p_strPath.c_str()) != 0) {
        p_strError = systemError("cannot replace", p_strPath);
        bOk = false;
    }
    if (!bOk) {
        unlink(strTemp.c_str());
        return false;
    }
    return syncDirectory(strDir, p_strError);
}

enum class ReadResult { OK, MISSING, FAILED };

// Reads the users file after making sure only its owner, the service's own
// user, can read or change it.
ReadResult readPrivateFile(const std::string& p_strPath, std::string& p_strContent,
                           std::string& p_strError) {
    int fd = open(p_strPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return ReadResult::MISSING;
        }
        p_strError = errno == ELOOP ? p_strPath + " is a symbolic link: give the file itself"
                                    : systemError("cannot open", p_strPath);
        return ReadResult::FAILED;
    }
    struct stat info;
    std::string strError;
    if (fstat(fd, &info) != 0) {
        strError = systemError("cannot examine", p_strPath);
    } else if (!S_ISREG(info.st_mode)) {
        strError = p_strPath + " is not a regular file";
    } else if (info.st_uid != geteuid()) {
        strError = p_strPath + " belongs to uid " + std::to_string(info.st_uid) +
                   ", not to this service's user (uid " + std::to_string(geteuid()) + "): chown " +
                   std::to_string(geteuid()) + " " + p_strPath;
    } else if ((info.st_mode & 044) != 0) {
        strError = p_strPath + " can be read by others (mode " + octal(info.st_mode) +
                   "), so its passwords are not secret: chmod 600 " + p_strPath;
    } else if ((info.st_mode & 077) != 0) {
        strError = p_strPath + " can be changed by others (mode " + octal(info.st_mode) +
                   "): chmod 600 " + p_strPath;
    } else if (info.st_size > kMaxFileSize) {
        strError = p_strPath + " is too large for a users file";
    }
    if (strError.empty()) {
        char buffer[4096];
        ssize_t nRead = 0;
        p_strContent.clear();
        while ((nRead = read(fd, buffer, sizeof buffer)) != 0) {
            if (nRead < 0) {
                if (errno == EINTR) {
                    continue;
                }
                strError = systemError("cannot read", p_strPath);
                break;
            }
            p_strContent.append(buffer, static_cast<std::size_t>(nRead));
            if (p_strContent.size() > static_cast<std::size_t>(kMaxFileSize)) {
                strError = p_strPath + " is too large for a users file";
                break;
            }
        }
    }
    close(fd);
    if (!strError.empty()) {
        p_strError = strError;
        return ReadResult::FAILED;
    }
    return ReadResult::OK;
}

bool parseUsers(const std::string& p_strContent, std::vector<User>& p_users,
                std::string& p_strError) {
    std::istringstream in(p_strContent);
    std::string strLine;
    int nLine = 0;
    while (std::getline(in, strLine)) {
        ++nLine;
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        if (strLine.empty() || strLine[0] == '#') {
            continue;
        }
        const std::string strAt = "line " + std::to_string(nLine) + ": ";
        std::size_t nFirst = strLine.find(':');
        std::size_t nSecond = nFirst == std::string::npos ? nFirst : strLine.find(':', nFirst + 1);
        if (nSecond == std::string::npos) {
            p_strError = strAt + "not name:level:password";
            return false;
        }
        User user;
        user.strName = strLine.substr(0, nFirst);
        if (!validName(user.strName)) {
            p_strError = strAt + nameError(user.strName);
            return false;
        }
        if (!parseUserLevel(strLine.substr(nFirst + 1, nSecond - nFirst - 1), user.eLevel)) {
            p_strError = strAt + "the level is not Administrator, Operator or User";
            return false;
        }
        if (!unescape(strLine.substr(nSecond + 1), user.strPassword)) {
            p_strError = strAt + "the password has a stray ':' or '\\'";
            return false;
        }
        if (!validPassword(user.strPassword)) {
            p_strError = strAt + passwordError();
            return false;
        }
        for (const User& other : p_users) {
            if (other.strName == user.strName) {
                p_strError = strAt + "user \"" + user.strName + "\" a second time";
                return false;
            }
        }
        p_users.push_back(user);
    }
    return true;
}

std::string randomPassword(std::size_t p_nLength) {
    const std::size_t nAlphabet = sizeof kUnambiguous - 1;
    // Bytes at or above the largest multiple of the alphabet's size are
    // dropped, so every character is equally likely.
    const unsigned nLimit = 256 - 256 % nAlphabet;
    std::string strPassword;
    while (strPassword.size() < p_nLength) {
        for (unsigned char c : crypto::randomBytes(p_nLength * 2)) {
            if (c < nLimit && strPassword.size() < p_nLength) {
                strPassword += kUnambiguous[c % nAlphabet];
            }
        }
    }
    return strPassword;
}

}  // namespace

const char* userLevelName(UserLevel p_eLevel) {
    switch (p_eLevel) {
        case UserLevel::ADMINISTRATOR:
            return "Administrator";
        case UserLevel::OPERATOR:
            return "Operator";
        case UserLevel::USER:
            break;
    }
    return "User";
}

bool parseUserLevel(const std::string& p_strText, UserLevel& p_eLevel) {
    std::string strLower = p_strText;
    std::transform(strLower.begin(), strLower.end(), strLower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    if (strLower == "administrator") {
        p_eLevel = UserLevel::ADMINISTRATOR;
    } else if (strLower == "operator") {
        p_eLevel = UserLevel::OPERATOR;
    } else if (strLower == "user") {
        p_eLevel = UserLevel::USER;
    } else {
        return false;
    }
    return true;
}

UserStore::UserStore(std::string p_strPath) : m_strPath(std::move(p_strPath)) {}

bool UserStore::load(const std::string& p_strInitialPasswordPath, std::string& p_strNotice,
                     std::string& p_strError) {
    p_strNotice.clear();
    p_strError.clear();
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string strContent;
    switch (readPrivateFile(m_strPath, strContent, p_strError)) {
        case ReadResult::FAILED:
            return false;
        case ReadResult::MISSING:
            if (p_strInitialPasswordPath.empty()) {
                m_users.clear();
                return true;
            }
            return createFirstAdministrator(p_strInitialPasswordPath, p_strNotice, p_strError);
        case ReadResult::OK:
            break;
    }
    std::vector<User> users;
    if (!parseUsers(strContent, users, p_strError)) {
        p_strError = m_strPath + ", " + p_strError;
        return false;
    }
    m_users = std::move(users);
    m_strStamp = fileStamp();
    if (administrators() == 0) {
        p_strNotice = m_strPath +
                      " names no Administrator: nobody can manage users over the "
                      "network (sensord user add NAME --level Administrator)";
    }
    return true;
}

bool UserStore::createFirstAdministrator(const std::string& p_strInitialPasswordPath,
                                         std::string& p_strNotice, std::string& p_strError) {
    User admin;
    admin.strName = "admin";
    admin.eLevel = UserLevel::ADMINISTRATOR;
    admin.strPassword = randomPassword(16);
    // The password's file first: were it written second and failed, nobody
    // would know the administrator's password.
    if (!writeFileAtomically(p_strInitialPasswordPath, admin.strPassword + "\n", true,
                             p_strError)) {
        if (p_strError == p_strInitialPasswordPath + " exists already") {
            p_strError = "there is no " + m_strPath + " but " + p_strInitialPasswordPath +
                         " exists from an earlier start: restore the users file, or remove " +
                         p_strInitialPasswordPath + " to have a new administrator made";
        }
        return false;
    }
    if (!write({admin}, p_strError)) {
        unlink(p_strInitialPasswordPath.c_str());
        return false;
    }
    m_users = {admin};
    m_strStamp = fileStamp();
    p_strNotice = "no users yet: created administrator \"admin\"; its password is in " +
                  p_strInitialPasswordPath + " (readable by its owner only)";
    return true;
}

std::string UserStore::fileStamp() const {
    struct stat info;
    if (stat(m_strPath.c_str(), &info) != 0) {
        return "";
    }
    return std::to_string(info.st_ino) + ":" + std::to_string(info.st_size) + ":" +
           std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
}

void UserStore::refreshLocked() const {
    // The provisioning command writes the file while the service runs: a
    // file replaced since it was read is read again (a file that cannot be
    // trusted now leaves the users as they were).
    std::string stamp = fileStamp();
    if (stamp.empty() || stamp == m_strStamp) {
        return;
    }
    std::string content;
    std::string error;
    std::vector<User> users;
    if (readPrivateFile(m_strPath, content, error) == ReadResult::OK &&
        parseUsers(content, users, error)) {
        m_users = std::move(users);
    }
    m_strStamp = stamp;
}

std::optional<User> UserStore::find(const std::string& p_strName) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    refreshLocked();
    for (const User& user : m_users) {
        if (user.strName == p_strName) {
            return user;
        }
    }
    return std::nullopt;
}

std::vector<User> UserStore::list() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_users;
}

std::vector<User>::iterator UserStore::locate(const std::string& p_strName) {
    return std::find_if(m_users.begin(), m_users.end(),
                        [&](const User& p_user) { return p_user.strName == p_strName; });
}

int UserStore::administrators() const {
    return static_cast<int>(std::count_if(m_users.begin(), m_users.end(), [](const User& p_user) {
        return p_user.eLevel == UserLevel::ADMINISTRATOR;
    }));
}

bool UserStore::add(const User& p_user, std::string& p_strError) {
    if (!validName(p_user.strName)) {
        p_strError = nameError(p_user.strName);
        return false;
    }
    if (!validPassword(p_user.strPassword)) {
        p_strError = passwordError();
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (locate(p_user.strName) != m_users.end()) {
        p_strError = "user \"" + p_user.strName + "\" exists already";
        return false;
    }
    if (m_users.empty() && p_user.eLevel != UserLevel::ADMINISTRATOR) {
        p_strError = "the first user must be an Administrator";
        return false;
    }
    std::vector<User> users = m_users;
    users.push_back(p_user);
    if (!write(users, p_strError)) {
        return false;
    }
    m_users = std::move(users);
    return true;
}

bool UserStore::change(const std::string& p_strName, const std::string* p_pPassword,
                       const UserLevel* p_pLevel, std::string& p_strError) {
    if (p_pPassword != nullptr && !validPassword(*p_pPassword)) {
        p_strError = passwordError();
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = locate(p_strName);
    if (it == m_users.end()) {
        p_strError = "no user \"" + p_strName + "\"";
        return false;
    }
    if (p_pLevel != nullptr && *p_pLevel != UserLevel::ADMINISTRATOR &&
        it->eLevel == UserLevel::ADMINISTRATOR && administrators() == 1) {
        p_strError = "\"" + p_strName + "\" is the last Administrator: make another one first";
        return false;
    }
    std::vector<User> users = m_users;
    User& user = users[static_cast<std::size_t>(it - m_users.begin())];
    if (p_pPassword != nullptr) {
        user.strPassword = *p_pPassword;
    }
    if (p_pLevel != nullptr) {
        user.eLevel = *p_pLevel;
    }
    if (!write(users, p_strError)) {
        return false;
    }
    m_users = std::move(users);
    return true;
}

bool UserStore::remove(const std::string& p_strName, std::string& p_strError) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = locate(p_strName);
    if (it == m_users.end()) {
        p_strError = "no user \"" + p_strName + "\"";
        return false;
    }
    if (it->eLevel == UserLevel::ADMINISTRATOR && administrators() == 1) {
        p_strError = "\"" + p_strName + "\" is the last Administrator: make another one first";
        return false;
    }
    std::vector<User> users = m_users;
    users.erase(users.begin() + (it - m_users.begin()));
    if (!write(users, p_strError)) {
        return false;
    }
    m_users = std::move(users);
    return true;
}

bool UserStore::write(const std::vector<User>& p_users, std::string& p_strError) {
    std::string strContent =
        "# sensord users, one a line: name:level:password. In the password \"\\:\" stands\n"
        "# for ':', \"\\\\\" for '\\'. Keep this file mode 0600.\n";
    for (const User& user : p_users) {
        strContent +=
            user.strName + ":" + userLevelName(user.eLevel) + ":" + escape(user.strPassword) + "\n";
    }
    return writeFileAtomically(m_strPath, strContent, false, p_strError);
}
