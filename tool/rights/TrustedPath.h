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

// Which folders of the path must be root's alone.
enum class TrustedUpTo {
    Parent,  // those that lead to the folder; the folder itself may be another user's
    Folder,  // the folder too: something new is made in it
};

// Opens the folder `path` names (a relative one from the working folder's own
// path), walking from "/" one name at a time without following a link on
// its own. Every folder passed on the way (and with TrustedUpTo::Folder the
// folder itself) must belong to root and be writable by no one else; a
// folder that others may write to but that is sticky (as /tmp) is passed
// where the next name in it is root's, since no other user can rename or
// remove that. A symbolic link on the way is followed, through the same
// checks, only when it is root's: none that another user made.
//
// Returns an O_PATH descriptor of the folder, or -1 with errno set when the
// path leads to none (ENOENT, ENOTDIR, ELOOP, EACCES, ...). Raises
// CommandFailure, with one line that names the folder or link and why it is
// not trusted, before anything is changed.
int OpenTrustedFolder(const std::string& path, TrustedUpTo upTo);
