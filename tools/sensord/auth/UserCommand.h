#ifndef SENSORD_USERCOMMAND_H
#define SENSORD_USERCOMMAND_H

#include <iosfwd>
#include <string>
#include <vector>

// `sensord user ...`: manages the users file without the service, for
// provisioning scripts. Never prompts; p_args start after "user":
//   add NAME --level LEVEL [--password-stdin]
//   set NAME [--level LEVEL] [--password-stdin]
//   remove NAME
//   list
// With --password-stdin the password is the first line of p_in; add without
// it makes a random one and prints it, alone on its line, on p_out. Errors
// go to p_err as one line. Returns the exit code: 0 done, 1 failed, 2 the
// command line is wrong.
int runUserCommand(const std::string& p_strUsersPath, const std::vector<std::string>& p_args,
                   std::istream& p_in, std::ostream& p_out, std::ostream& p_err);

// The usage lines above, for the program's help.
const char* userCommandUsage();

#endif
