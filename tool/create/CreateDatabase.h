// CreateDatabase.h: a new database in one step: its folder and initialisation
// file made from a model, with an administration password, remote
// administration on and random passwords of its own.
#pragma once

#include <string>

// The web server's user, the owner of a new database that root makes unless
// another is named.
inline constexpr const char* WebServerUser = "www-data";

struct NewDatabase {
    std::string folder;  // the new database's folder, as the command line names it
    std::string owner;   // the user who owns it; empty: the default (below)
    std::string model;   // the model's file, a database's .ini file
};

// Makes `order.folder` (0700) holding NAME.ini (0600), NAME being the
// folder's last name, both the owner's and the owner's group's: the model's
// text carried over (CarriedOver), the administration password read as
// set-password reads it (ReadNewPassword), remote administration on and each
// of DatabasePasswordKeys a fresh RandomPassword. The owner is the user
// `order.owner` names; without one, run by root the web server's user, run
// by any other user that user, with the group it runs with.
//
// Everything is made in a folder .NAME.creating beside the new one, which
// is renamed to the new name only once complete and on disk, and never over
// anything that has the name meanwhile. A failure on the way removes it
// again: the new folder is there whole or not at all.
//
// Run by root, the folder that takes the new one is opened as the path names
// it and the temporary folder is made there with root's rights and given to
// the owner at once; the model is read, and the file written, by a process
// with the owner's rights (RunAsUser). Run by anyone else, that user must
// be the owner, and makes everything with their own rights, in a folder that
// no other user can change (OpenTrustedFolder).
//
// Returns what to say on standard output, which names no password. Raises
// CommandFailure: status 1 when nothing is left of the new folder, 3
// (ExitUnconfirmed) when it was made but its parent folder could not be
// synced afterwards.
std::string CreateDatabase(const NewDatabase& order);
