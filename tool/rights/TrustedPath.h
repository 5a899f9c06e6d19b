// TrustedPath.h: the way to a folder that the tool may trust.
//
// The tool acts on a path that names folders which other users may own or
// write to. Whoever can change a folder on the way (rename what is in it, put
// a symbolic link there) chooses where the tool acts: a database folder
// swapped for a link to the runner's own, a new folder made inside them. So
// the tool takes a path only when no other user can change it, as a careful
// server checks the folders above a key file before it reads it. Run by
// root, "another user" is anyone but root; run by a user (an owner on a
// hosting account, in a folder of their own), anyone but root and that user.
#pragma once

#include <string>

// What the folder the walk ends in must be, besides those on the way.
enum class TrustedUpTo {
    // A database's folder, in which the tool acts as its owner: root's, and
    // then checked as the folders on the way (root acts there as root), or
    // another user's that no user but that one (and root) may write to, which
    // a user's run must own.
    OwnersFolder,
    // The folder that takes a new one, in which the tool makes it: root's or
    // the runner's, checked as the folders on the way.
    RunnersFolder,
};

// Opens the folder `path` names (a relative one from the working folder's own
// path), walking from "/" one name at a time without following a link on
// its own. Every folder passed on the way must belong to root or to the user
// who runs the tool and be writable by no other user: not by everyone, nor
// by a group (for a user's run: a group that holds another user than root
// and the runner); a folder that others may write to but that is sticky (as
// /tmp) is passed where the next name in it is root's or the runner's, since
// no other user can rename or remove that. A symbolic link on the way is
// followed, through the same checks, only when it is root's or the runner's:
// none that another user made. The folder itself is checked as `upTo` says;
// a sticky one passes nothing there, since the tool makes names in it.
//
// Returns an O_PATH descriptor of the folder, or -1 with errno set when the
// path leads to none (ENOENT, ENOTDIR, ELOOP, EACCES, ...); `walked`, when
// given, takes the folder's path as walked, every link resolved. Raises
// CommandFailure, with one line that names the folder or link and why it is
// not trusted, before anything is changed.
int OpenTrustedFolder(const std::string& path, TrustedUpTo upTo, std::string* walked = nullptr);

// Run in a database folder that OpenTrustedFolder passed, entered as the
// working folder, with the runner's own rights (root in a folder of root's,
// a user in a folder of their own): a symbolic link at the database's file
// `name` leads the runner to a file elsewhere, whose folder takes the
// replacing file. Each link on the way must be root's or the runner's, and
// the way to the file's folder, and that folder, must pass as the database
// folder did. Raises CommandFailure otherwise; a way that leads nowhere is
// left to the file's opening to report.
void RefuseUntrustedLinkAt(const std::string& name);
