#include "auth/Users.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <openssl/evp.h>

#include "auth/Authenticator.h"
#include "auth/UserCommand.h"

namespace {

class UsersTest : public ::testing::Test {
protected:
    void SetUp() override {
        char szTemplate[] = "/tmp/sensord-users-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(szTemplate));
        m_strDir = szTemplate;
        m_strUsers = m_strDir + "/users";
    }
    void TearDown() override { std::filesystem::remove_all(m_strDir); }

    void writeFile(const std::string& p_strPath, const std::string& p_strContent, mode_t p_nMode) {
        std::ofstream(p_strPath) << p_strContent;
        ASSERT_EQ(0, chmod(p_strPath.c_str(), p_nMode));
    }
    static std::string readFile(const std::string& p_strPath) {
        std::ifstream in(p_strPath);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static mode_t modeOf(const std::string& p_strPath) {
        struct stat info;
        return stat(p_strPath.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }
    std::vector<std::string> entries(const std::string& p_strDir) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(p_strDir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // A store with one administrator, written and loaded again.
    void provision(const std::string& p_strPassword = "admin-pass") {
        UserStore store(m_strUsers);
        std::string strNotice;
        std::string strError;
        ASSERT_TRUE(store.load("", strNotice, strError)) << strError;
        ASSERT_TRUE(store.add({"root", p_strPassword, UserLevel::ADMINISTRATOR}, strError))
            << strError;
    }
    int run(const std::vector<std::string>& p_args, const std::string& p_strInput = "") {
        std::istringstream in(p_strInput);
        m_out.str("");
        m_err.str("");
        return runUserCommand(m_strUsers, p_args, in, m_out, m_err);
    }

    std::string m_strDir;
    std::string m_strUsers;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(UsersTest, AwkwardPasswordsSurviveTheFile) {
    const std::vector<User> users = {
        {"root", "a:b\\c", UserLevel::ADMINISTRATOR},
        {"op.1", "\\:\\\\::", UserLevel::OPERATOR},
        {"viewer_2", " spaces and \\n literally ", UserLevel::USER},
        {"x-y", std::string(64, '~'), UserLevel::USER},
        {"hash", "#not a comment", UserLevel::USER},
        {std::string(32, 'n'), "\\", UserLevel::OPERATOR},
    };
    {
        UserStore store(m_strUsers);
        std::string strNotice;
        std::string strError;
        ASSERT_TRUE(store.load("", strNotice, strError)) << strError;
        for (const User& user : users) {
            ASSERT_TRUE(store.add(user, strError)) << strError;
        }
    }
    EXPECT_EQ(0600u, modeOf(m_strUsers));
    // Only the file itself: no temporary left behind.
    EXPECT_EQ(std::vector<std::string>{"users"}, entries(m_strDir));

    UserStore again(m_strUsers);
    std::string strNotice;
    std::string strError;
    ASSERT_TRUE(again.load("unused", strNotice, strError)) << strError;
    EXPECT_EQ("", strNotice);
    ASSERT_EQ(users.size(), again.list().size());
    for (const User& user : users) {
        std::optional<User> found = again.find(user.strName);
        ASSERT_TRUE(found) << user.strName;
        EXPECT_EQ(user.strPassword, found->strPassword) << user.strName;
        EXPECT_EQ(user.eLevel, found->eLevel) << user.strName;
    }
    EXPECT_FALSE(again.find("ROOT"));
}

TEST_F(UsersTest, RefusesNamesAndPasswordsItCannotStore) {
    provision();
    UserStore store(m_strUsers);
    std::string strNotice;
    std::string strError;
    ASSERT_TRUE(store.load("", strNotice, strError));
    for (const std::string& strName :
         {std::string(), std::string(33, 'a'), std::string("a b"), std::string("a:b"),
          std::string("caf\xc3\xa9"), std::string("new\nline")}) {
        EXPECT_FALSE(store.add({strName, "fine", UserLevel::USER}, strError)) << strName;
        EXPECT_NE(std::string::npos, strError.find("invalid user name")) << strError;
    }
    for (const std::string& strPassword :
         {std::string(), std::string(65, 'p'), std::string("tab\there"), std::string("line\nbreak"),
          std::string("caf\xc3\xa9")}) {
        EXPECT_FALSE(store.add({"bob", strPassword, UserLevel::USER}, strError));
        EXPECT_NE(std::string::npos, strError.find("password")) << strError;
        if (!strPassword.empty()) {
            EXPECT_EQ(std::string::npos, strError.find(strPassword)) << strError;
        }
    }
    EXPECT_FALSE(store.add({"root", "other", UserLevel::USER}, strError));
    EXPECT_NE(std::string::npos, strError.find("exists already")) << strError;
    EXPECT_EQ(1u, store.list().size());
}

TEST_F(UsersTest, RefusesAFileOthersCanReadOrChange) {
    // Longer than mkdtemp's six random characters, so the path can never contain it.
    const std::string strPassword = "never-in-a-message";
    const std::string strLine = "root:Administrator:" + strPassword + "\n";
    for (mode_t nMode : {0644, 0640, 0604, 0620, 0602}) {
        writeFile(m_strUsers, strLine, nMode);
        UserStore store(m_strUsers);
        std::string strNotice;
        std::string strError;
        EXPECT_FALSE(store.load("", strNotice, strError)) << std::oct << nMode;
        EXPECT_NE(std::string::npos, strError.find("chmod 600 " + m_strUsers)) << strError;
        EXPECT_EQ(std::string::npos, strError.find(strPassword)) << strError;
        EXPECT_TRUE(store.list().empty());
    }
    writeFile(m_strUsers, strLine, 0600);
    UserStore store(m_strUsers);
    std::string strNotice;
    std::string strError;
    EXPECT_TRUE(store.load("", strNotice, strError)) << strError;

    ASSERT_EQ(0, symlink(m_strUsers.c_str(), (m_strDir + "/link").c_str()));
    UserStore linked(m_strDir + "/link");
    EXPECT_FALSE(linked.load("", strNotice, strError));
    EXPECT_NE(std::string::npos, strError.find("symbolic link")) << strError;
}

TEST_F(UsersTest, RefusesAMalformedFileNamingTheLine) {
    const std::vector<std::pair<std::string, std::string> > cases = {
        {"# users\nroot:Administrator:pw\nbob:Boss:pw\n", "line 3"},
        {"root:Administrator:pw\nroot:User:other\n", "line 2"},
        {"\nroot:Administrator\n", "line 2"},
        {"root:Administrator:a:b\n", "line 1"},
        {"root:Administrator:ends in \\\n", "line 1"},
        {"root:Administrator:\n", "line 1"},
        {"bad name:User:pw\n", "line 1"},
    };
    for (const auto& entry : cases) {
        writeFile(m_strUsers, entry.first, 0600);
        UserStore store(m_strUsers);
        std::string strNotice;
        std::string strError;
        EXPECT_FALSE(store.load("", strNotice, strError)) << entry.first;
        EXPECT_NE(std::string::npos, strError.find(entry.second)) << strError;
    }
}

std::string sha1Base64(const std::string& p_strData) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int nLength = 0;
    EVP_Digest(p_strData.data(), p_strData.size(), digest, &nLength, EVP_sha1(), nullptr);
    unsigned char text[64];
    int nText = EVP_EncodeBlock(text, digest, static_cast<int>(nLength));
    return std::string(reinterpret_cast<char*>(text), static_cast<std::size_t>(nText));
}

std::string createdNow() {
    std::time_t now = std::time(nullptr);
    std::tm parts;
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

TEST_F(UsersTest, FirstStartMakesAnAdministratorWhosePasswordWorks) {
    const std::string strUsers = m_strDir + "/etc/sensord/users";
    const std::string strInitial = m_strDir + "/etc/sensord/initial-password";
    UserStore store(strUsers);
    std::string strNotice;
    std::string strError;
    ASSERT_TRUE(store.load(strInitial, strNotice, strError)) << strError;
    EXPECT_EQ("no users yet: created administrator \"admin\"; its password is in " + strInitial +
                  " (readable by its owner only)",
              strNotice);
    EXPECT_EQ(0700u, modeOf(m_strDir + "/etc"));
    EXPECT_EQ(0700u, modeOf(m_strDir + "/etc/sensord"));
    EXPECT_EQ(0600u, modeOf(strUsers));
    EXPECT_EQ(0600u, modeOf(strInitial));
    EXPECT_EQ((std::vector<std::string>{"initial-password", "users"}),
              entries(m_strDir + "/etc/sensord"));

    std::string strPassword = readFile(strInitial);
    ASSERT_EQ(17u, strPassword.size());
    ASSERT_EQ('\n', strPassword.back());
    strPassword.pop_back();
    EXPECT_EQ(std::string::npos, strPassword.find_first_of("0O1lIo"));
    std::optional<User> admin = store.find("admin");
    ASSERT_TRUE(admin);
    EXPECT_EQ(UserLevel::ADMINISTRATOR, admin->eLevel);
    EXPECT_EQ(strPassword, admin->strPassword);

    // The password logs in, read back from the file by another store.
    UserStore reloaded(strUsers);
    ASSERT_TRUE(reloaded.load(strInitial, strNotice, strError)) << strError;
    EXPECT_EQ("", strNotice);
    Authenticator auth(reloaded, "sensord");
    const std::string strNonce = "bm9uY2UtMTIz";
    const std::string strCreated = createdNow();
    AuthOutcome outcome = auth.checkUsernameToken(
        "admin", sha1Base64("nonce-123" + strCreated + strPassword), strNonce, strCreated);
    EXPECT_TRUE(outcome.bOk) << outcome.strReason;
}

TEST_F(UsersTest, FirstStartRefusesToOverwriteAnOldPasswordFile) {
    const std::string strInitial = m_strDir + "/initial-password";
    writeFile(strInitial, "old\n", 0600);
    UserStore store(m_strUsers);
    std::string strNotice;
    std::string strError;
    EXPECT_FALSE(store.load(strInitial, strNotice, strError));
    EXPECT_NE(std::string::npos, strError.find(strInitial)) << strError;
    EXPECT_EQ("old\n", readFile(strInitial));
    EXPECT_EQ(std::vector<std::string>{"initial-password"}, entries(m_strDir));
}

TEST_F(UsersTest, TheLastAdministratorStays) {
    provision();
    UserStore store(m_strUsers);
    std::string strNotice;
    std::string strError;
    ASSERT_TRUE(store.load("", strNotice, strError));
    ASSERT_TRUE(store.add({"viewer", "pw", UserLevel::USER}, strError)) << strError;

    const UserLevel eOperator = UserLevel::OPERATOR;
    EXPECT_FALSE(store.remove("root", strError));
    EXPECT_NE(std::string::npos, strError.find("last Administrator")) << strError;
    EXPECT_FALSE(store.change("root", nullptr, &eOperator, strError));
    EXPECT_NE(std::string::npos, strError.find("last Administrator")) << strError;
    const std::string strNew = "new:pw";
    EXPECT_TRUE(store.change("root", &strNew, nullptr, strError)) << strError;

    const UserLevel eAdmin = UserLevel::ADMINISTRATOR;
    ASSERT_TRUE(store.change("viewer", nullptr, &eAdmin, strError)) << strError;
    EXPECT_TRUE(store.change("root", nullptr, &eOperator, strError)) << strError;
    EXPECT_FALSE(store.remove("viewer", strError));
    EXPECT_TRUE(store.remove("root", strError)) << strError;
    EXPECT_FALSE(store.remove("root", strError));
    EXPECT_NE(std::string::npos, strError.find("no user")) << strError;

    UserStore reloaded(m_strUsers);
    ASSERT_TRUE(reloaded.load("", strNotice, strError));
    ASSERT_EQ(1u, reloaded.list().size());
    EXPECT_EQ("viewer", reloaded.list()[0].strName);
    EXPECT_EQ(UserLevel::ADMINISTRATOR, reloaded.list()[0].eLevel);
}

TEST_F(UsersTest, AFailedWriteChangesNothing) {
    provision();
    UserStore store(m_strUsers);
    std::string strNotice;
    std::string strError;
    ASSERT_TRUE(store.load("", strNotice, strError));
    // A directory in the file's place: the rename fails, for root too.
    ASSERT_EQ(0, unlink(m_strUsers.c_str()));
    ASSERT_EQ(0, mkdir(m_strUsers.c_str(), 0700));
    EXPECT_FALSE(store.add({"bob", "pw", UserLevel::USER}, strError));
    EXPECT_NE(std::string::npos, strError.find(m_strUsers)) << strError;
    EXPECT_FALSE(store.find("bob"));
    EXPECT_TRUE(store.find("root"));
    EXPECT_EQ(std::vector<std::string>{"users"}, entries(m_strDir));
}

TEST_F(UsersTest, CommandAddsListsChangesAndRemoves) {
    // The first user of a new file must be able to administer it.
    EXPECT_EQ(1, run({"add", "viewer", "--level", "User", "--password-stdin"}, "pw\n"));
    EXPECT_NE(std::string::npos, m_err.str().find("Administrator")) << m_err.str();
    EXPECT_FALSE(std::filesystem::exists(m_strUsers));

    ASSERT_EQ(0, run({"add", "root", "--level", "administrator", "--password-stdin"},
                     "p:w \\ x\r\nsecond line\n"))
        << m_err.str();
    EXPECT_EQ("", m_out.str());
    ASSERT_EQ(0, run({"add", "--level=Operator", "op"})) << m_err.str();
    const std::string strGenerated = m_out.str();
    ASSERT_GE(strGenerated.size(), 17u);
    EXPECT_EQ('\n', strGenerated.back());

    UserStore store(m_strUsers);
    std::string strNotice;
    std::string strError;
    ASSERT_TRUE(store.load("", strNotice, strError)) << strError;
    EXPECT_EQ("p:w \\ x", store.find("root")->strPassword);
    EXPECT_EQ(strGenerated.substr(0, strGenerated.size() - 1), store.find("op")->strPassword);
    EXPECT_EQ(UserLevel::OPERATOR, store.find("op")->eLevel);

    ASSERT_EQ(0, run({"list"}));
    EXPECT_EQ("root Administrator\nop Operator\n", m_out.str());

    ASSERT_EQ(0, run({"set", "op", "--password-stdin", "--level", "User"}, "changed\n"))
        << m_err.str();
    ASSERT_TRUE(store.load("", strNotice, strError)) << strError;
    EXPECT_EQ("changed", store.find("op")->strPassword);
    EXPECT_EQ(UserLevel::USER, store.find("op")->eLevel);

    EXPECT_EQ(1, run({"remove", "root"}));
    EXPECT_NE(std::string::npos, m_err.str().find("last Administrator")) << m_err.str();
    EXPECT_EQ(0, run({"remove", "op"})) << m_err.str();
    EXPECT_EQ(1, run({"remove", "op"}));
    EXPECT_NE(std::string::npos, m_err.str().find("no user \"op\"")) << m_err.str();
    ASSERT_EQ(0, run({"list"}));
    EXPECT_EQ("root Administrator\n", m_out.str());
}

TEST_F(UsersTest, CommandRefusesWhatItCannotDo) {
    provision();
    struct Case {
        std::vector<std::string> args;
        std::string strInput;
        int nExit;
        std::string strError;
    };
    const std::vector<Case> cases = {
        {{}, "", 2, "add, set, remove or list"},
        {{"rename", "root"}, "", 2, "unknown command \"rename\""},
        {{"add", "bob"}, "", 2, "--level"},
        {{"add", "bob", "--level", "Boss"}, "", 2, "unknown level \"Boss\""},
        {{"add", "bob", "--level"}, "", 2, "--level needs"},
        {{"add", "--level", "User"}, "", 2, "NAME"},
        {{"add", "bob", "hunter2", "--level", "User"}, "", 2, "one user name only"},
        {{"add", "bob", "--password=hunter2"}, "", 2, "unknown option \"--password\""},
        {{"set", "root"}, "", 2, "nothing to change"},
        {{"remove", "root", "--level", "User"}, "", 2, "unknown option \"--level\""},
        {{"list", "root"}, "", 2, "no arguments"},
        {{"add", "bob", "--level", "User", "--password-stdin"}, "", 1, "no password"},
        {{"add", "bob", "--level", "User", "--password-stdin"}, "\n", 1, "empty"},
        {{"add", "b o b", "--level", "User"}, "", 1, "invalid user name"},
        {{"add", "root", "--level", "User"}, "", 1, "exists already"},
        {{"set", "nobody", "--level", "User"}, "", 1, "no user \"nobody\""},
        {{"set", "root", "--level", "User"}, "", 1, "last Administrator"},
        {{"set", "root", "--password-stdin"}, std::string(65, 'x') + "\n", 1, "password"},
    };
    const std::string strBefore = readFile(m_strUsers);
    for (const Case& c : cases) {
        std::string strArgs;
        for (const std::string& strArg : c.args) {
            strArgs += strArg + " ";
        }
        EXPECT_EQ(c.nExit, run(c.args, c.strInput)) << strArgs;
        // The first line says what is wrong; usage may follow.
        const std::string strFirst = m_err.str().substr(0, m_err.str().find('\n'));
        EXPECT_NE(std::string::npos, strFirst.find(c.strError)) << strArgs << m_err.str();
        EXPECT_EQ(std::string::npos, m_err.str().find("hunter2")) << m_err.str();
        EXPECT_EQ("", m_out.str()) << strArgs;
    }
    EXPECT_EQ(strBefore, readFile(m_strUsers));

    // An untrustworthy file is reported, not used.
    ASSERT_EQ(0, chmod(m_strUsers.c_str(), 0644));
    EXPECT_EQ(1, run({"list"}));
    EXPECT_NE(std::string::npos, m_err.str().find("chmod 600")) << m_err.str();
    EXPECT_EQ("", m_out.str());
}

}  // namespace
