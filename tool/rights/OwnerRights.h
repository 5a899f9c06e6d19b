// OwnerRights.h: working in a folder with the rights of its owner.
//
// Root runs the tool in folders that another user owns (a database folder is
// the web server's user's). Whatever that user's processes plant there (a
// symbolic link in a file's place, swapped in at any moment) must not make
// root read, write or remove a file elsewhere. So a root run opens the folder
// first, through folders that only root can change (TrustedPath.h), becomes
// its owner for good, with that owner's own groups, and only then looks up
// any name in it, relative to the open folder.
#pragma once

#include "tool/rights/TrustedPath.h"

#include <string>
#include <sys/types.h>
#include <vector>

// A user as the system's account lookup gives it: what a process of that
// user's has when it logs in, or when the web server starts it.
struct Account {
    uid_t uid;
    gid_t gid;                  // the primary group, of the account
    std::vector<gid_t> groups;  // every group of the user's: the primary one
                                // and those that name the user a member
};

// Takes the folder open as `folder` (from OpenTrustedFolder; closed here) as
// the working folder: every later relative name is looked up in it, and no
// folder on the way is passed again. When the process runs as root (effective uid 0)
// and the folder belongs to another user, it first becomes that user, with
// that user's own groups (AccountOf, BecomeUser), never the folder's group:
// it can do no more there than that user's processes (the web server's) can.
// Returns the folder's owner. Raises CommandFailure, naming `path`, when any
// step fails, or when root finds the owner without an account.
Account EnterFolderAsOwner(int folder, const std::string& path);

// Takes `account`'s groups as the supplementary groups, its gid and uid as the
// real, effective and saved ids, and checks that neither root's ids nor any
// capability can be had back. The process is also made undumpable, so that
// the account's other processes cannot read its memory (a password typed at
// the prompt) nor a core file keep it. Raises CommandFailure when a step
// fails or root could be had back: the caller must do nothing more.
void BecomeUser(const Account& account);
