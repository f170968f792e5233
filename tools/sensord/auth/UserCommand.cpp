#include "UserCommand.h"

#include <istream>
#include <ostream>

#include "Crypto.h"
#include "Users.h"

namespace {

const char kUsage[] =
    "usage: sensord user add NAME --level LEVEL [--password-stdin]\n"
    "       sensord user set NAME [--level LEVEL] [--password-stdin]\n"
    "       sensord user remove NAME\n"
    "       sensord user list\n"
    "LEVEL is Administrator, Operator or User. --password-stdin reads the password from the\n"
    "first line of standard input; add without it makes one and prints it.\n";

struct Options {
    std::string strName;
    bool bLevel = false;
    UserLevel eLevel = UserLevel::USER;
    bool bPasswordStdin = false;
};

struct UsageError {
    std::string strMessage;
};

// NAME and the options after the subcommand, in any order.
Options parseOptions(const std::vector<std::string>& p_args, bool p_bOptions) {
    Options options;
    bool bName = false;
    for (std::size_t i = 1; i < p_args.size(); ++i) {
        const std::string& strArg = p_args[i];
        if (p_bOptions && (strArg == "--level" || strArg.rfind("--level=", 0) == 0)) {
            std::string strLevel;
            if (strArg == "--level") {
                if (++i == p_args.size()) {
                    throw UsageError{"--level needs Administrator, Operator or User"};
                }
                strLevel = p_args[i];
            } else {
                strLevel = strArg.substr(8);
            }
            if (!parseUserLevel(strLevel, options.eLevel)) {
                throw UsageError{"unknown level \"" + strLevel +
                                 "\": Administrator, Operator or User"};
            }
            options.bLevel = true;
        } else if (p_bOptions && strArg == "--password-stdin") {
            options.bPasswordStdin = true;
        } else if (strArg.rfind("--", 0) == 0 || bName) {
            // Never echo what may be a password given on the command line.
            throw UsageError{strArg.rfind("--", 0) == 0
                                 ? "unknown option \"" + strArg.substr(0, strArg.find('=')) + "\""
                                 : "one user name only (a password goes through "
                                   "--password-stdin)"};
        } else {
            options.strName = strArg;
            bName = true;
        }
    }
    if (!bName) {
        throw UsageError{"which user? a NAME is needed"};
    }
    return options;
}

bool readPassword(std::istream& p_in, std::string& p_strPassword, std::ostream& p_err) {
    if (!std::getline(p_in, p_strPassword)) {
        p_err << "sensord user: no password on standard input\n";
        return false;
    }
    if (!p_strPassword.empty() && p_strPassword.back() == '\r') {
        p_strPassword.pop_back();
    }
    if (p_strPassword.empty()) {
        p_err << "sensord user: the password on standard input is empty\n";
        return false;
    }
    return true;
}

std::string generatedPassword() {
    // 18 random bytes: 24 characters of base64 without padding, in the
    // URL-safe alphabet so a script can pass it on without quoting.
    return crypto::base64UrlEncode(crypto::randomBytes(18));
}

}  // namespace

const char* userCommandUsage() {
    return kUsage;
}

int runUserCommand(const std::string& p_strUsersPath, const std::vector<std::string>& p_args,
                   std::istream& p_in, std::ostream& p_out, std::ostream& p_err) {
    const std::string strCommand = p_args.empty() ? std::string() : p_args[0];
    Options options;
    try {
        if (strCommand == "list") {
            if (p_args.size() > 1) {
                throw UsageError{"list takes no arguments"};
            }
        } else if (strCommand == "add" || strCommand == "set" || strCommand == "remove") {
            options = parseOptions(p_args, strCommand != "remove");
            if (strCommand == "add" && !options.bLevel) {
                throw UsageError{"add needs --level Administrator, Operator or User"};
            }
            if (strCommand == "set" && !options.bLevel && !options.bPasswordStdin) {
                throw UsageError{"set needs --level or --password-stdin: nothing to change"};
            }
        } else if (strCommand == "help" || strCommand == "--help" || strCommand == "-h") {
            p_out << kUsage;
            return 0;
        } else {
            throw UsageError{strCommand.empty() ? "add, set, remove or list?"
                                                : "unknown command \"" + strCommand + "\""};
        }
    } catch (const UsageError& error) {
        p_err << "sensord user: " << error.strMessage << "\n" << kUsage;
        return 2;
    }

    UserStore users(p_strUsersPath);
    std::string strNotice;
    std::string strError;
    // No initial password path: the command never makes the first
    // administrator by itself; a missing file is simply empty.
    if (!users.load(std::string(), strNotice, strError)) {
        p_err << "sensord user: " << strError << "\n";
        return 1;
    }

    if (strCommand == "list") {
        for (const User& user : users.list()) {
            p_out << user.strName << " " << userLevelName(user.eLevel) << "\n";
        }
        return 0;
    }
    bool bOk = false;
    if (strCommand == "remove") {
        bOk = users.remove(options.strName, strError);
    } else if (strCommand == "add") {
        User user;
        user.strName = options.strName;
        user.eLevel = options.eLevel;
        if (options.bPasswordStdin) {
            if (!readPassword(p_in, user.strPassword, p_err)) {
                return 1;
            }
        } else {
            user.strPassword = generatedPassword();
        }
        bOk = users.add(user, strError);
        if (bOk && !options.bPasswordStdin) {
            p_out << user.strPassword << "\n";
        }
    } else {
        std::string strPassword;
        if (options.bPasswordStdin && !readPassword(p_in, strPassword, p_err)) {
            return 1;
        }
        bOk = users.change(options.strName, options.bPasswordStdin ? &strPassword : nullptr,
                           options.bLevel ? &options.eLevel : nullptr, strError);
    }
    if (!bOk) {
        p_err << "sensord user " << strCommand << ": " << strError << "\n";
        return 1;
    }
    return 0;
}
