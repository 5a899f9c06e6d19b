// UserProcess.h: a piece of work done in a process of its own with another
// user's rights, while this process keeps its own.
//
// `create` needs both: root's rights for the folder that holds the new
// database (root's, as a rule), and the new owner's for everything in the new
// database's folder and for reading the model. The owner's rights are taken
// for good (BecomeUser), so they are taken in a child process, and the work's
// result comes back through a pipe.
#pragma once

#include "tool/rights/OwnerRights.h"

#include <functional>
#include <string>

// Runs `work` in a child process that first becomes `account` (BecomeUser)
// when this process runs as root and the account is not root's; otherwise
// with this process's rights. Returns the text `work` returned. Whatever
// `work` raises is raised here as a CommandFailure with its text (and, for a
// CommandFailure, its status); a child that ends otherwise (killed by a
// signal) raises "the process that `what` was killed by ...".
std::string RunAsUser(const Account& account, const std::string& what, const std::function<std::string()>& work);
