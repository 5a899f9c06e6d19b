// OwnerRights.h: working in a folder with the rights of its owner.
//
// Root runs the tool in folders that another user owns (a database folder is
// the web server's user's). Whatever that user's processes plant there (a
// symbolic link in a file's place, swapped in at any moment) must not make
// root read, write or remove a file elsewhere. So a root run opens the folder
// first, becomes its owner for good, and only then looks up any name in it,
// relative to the open folder.
#pragma once

#include <string>
#include <sys/types.h>

struct Account {
    uid_t uid;
    gid_t gid;
};

// Opens the folder `path` names, following links on the way as the path
// gives them; nothing in the folder is read or changed, and no right on the
// folder itself is needed. Returns the descriptor, or -1 with errno set (a
// path that is no folder: ENOTDIR).
int OpenFolder(const std::string& path);

// Takes the folder open as `folder` (from OpenFolder; closed here) as the
// working folder: every later relative name is looked up in it, and no folder
// on the way is passed again. When the process runs as root (effective uid 0)
// and the folder belongs to another user, it first becomes that user with
// the folder's group (BecomeUser). Returns the folder's owner and group.
// Raises CommandFailure, naming `path`, when any step fails.
Account EnterFolderAsOwner(int folder, const std::string& path);

// Drops every supplementary group, takes `account`'s gid and uid as the real,
// effective and saved ids, and checks that neither root's ids nor any
// capability can be had back. The process is also made undumpable, so that
// the account's other processes cannot read its memory (a password typed at
// the prompt) nor a core file keep it. Raises CommandFailure when a step
// fails or root could be had back: the caller must do nothing more.
void BecomeUser(const Account& account);
