// TrustedPath.h: the way to a folder that root may trust.
//
// Root acts on a path that names folders which other users may own or write
// to. Whoever can change a folder on the way (rename what is in it, put a
// symbolic link there) chooses where root acts: a database folder swapped
// for a link to root's own, a new folder made inside root's. So a root run
// takes a path only when no other user can change it, as a careful server
// checks the folders above a key file before it reads it.
#pragma once

#include <string>

// What the folder the walk ends in must be, besides those on the way.
enum class TrustedUpTo {
    // A database's folder, in which root acts as its owner: root's, and then
    // checked as the folders on the way (root acts there as root), or
    // another user's that no user but that one (and root) may write to.
    OwnersFolder,
    // The folder that takes a new one, in which root makes it: root's alone.
    RootsFolder,
};

// Opens the folder `path` names (a relative one from the working folder's own
// path), walking from "/" one name at a time without following a link on
// its own. Every folder passed on the way must belong to root and be
// writable by no one else; a folder that others may write to but that is
// sticky (as /tmp) is passed where the next name in it is root's, since no
// other user can rename or remove that. A symbolic link on the way is
// followed, through the same checks, only when it is root's: none that
// another user made. The folder itself is checked as `upTo` says; a sticky
// one passes nothing there, since root makes names in it.
//
// Returns an O_PATH descriptor of the folder, or -1 with errno set when the
// path leads to none (ENOENT, ENOTDIR, ELOOP, EACCES, ...); `walked`, when
// given, takes the folder's path as walked, every link resolved. Raises
// CommandFailure, with one line that names the folder or link and why it is
// not trusted, before anything is changed.
int OpenTrustedFolder(const std::string& path, TrustedUpTo upTo, std::string* walked = nullptr);

// Run by root in a database folder of root's that OpenTrustedFolder passed,
// entered as the working folder: a symbolic link at the database's file
// `name` leads root, as root, to a file elsewhere, whose folder takes the
// replacing file. Each link on the way must be root's, and the way to the
// file's folder, and that folder, must pass as the database folder did.
// Raises CommandFailure otherwise; a way that leads nowhere is left to the
// file's opening to report.
void RefuseUntrustedLinkAt(const std::string& name);
